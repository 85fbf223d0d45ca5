// Server addresses as typed or found in the environment: host names, numeric addresses,
// socket paths, MPD_HOST's "password@host" and the port, as one run's session takes them.
// The input's lines are the command line's host, port and cover host, then MPD_HOST and
// MPD_PORT; a line "-" stands for an option not given.
#include "FuzzInput.h"

#include "core/settings/ServerAddress.h"
#include "core/settings/SessionServer.h"
#include "core/settings/Setting.h"

using namespace kelvane;

namespace {
std::optional<QString> given(const QStringList &lines, int i) {
    if (i >= lines.size() || lines[i] == QLatin1String("-")) return std::nullopt;
    return lines[i];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString input = fuzz::text(data, size);
    namespace sa = serveraddress;

    // The whole input as one host text.
    const bool wellFormed = sa::isWellFormed(input);
    if (wellFormed && !sa::isSocketPath(input))
        fuzz::check(!input.contains(QLatin1Char('\n')) && !input.contains(QChar(0)),
                    "a host with a control character is well formed");
    (void)sa::isHostName(input);
    (void)sa::expandHome(input);
    (void)sa::label(input, 6600);
    const sa::HostAndPassword parsed = sa::parseMpdHost(input);
    if (parsed.password)
        fuzz::check(parsed.password->size() + parsed.host.size() + 1 == input.size(),
                    "MPD_HOST split lost characters");
    quint32 port = 0;
    if (Setting::parsePort(input, &port))
        fuzz::check(port >= 1 && port <= 65535, "port out of range accepted");

    // The same texts as one session's inputs.
    const QStringList lines = input.split(QLatin1Char('\n'));
    QString problem;
    const auto session = SessionServer::from(
        {given(lines, 0), given(lines, 1), given(lines, 2), lines.value(3), lines.value(4)},
        &problem);
    if (session) {
        fuzz::check(!session->host || !session->host->isEmpty(), "an empty host accepted");
        fuzz::check(!session->port || (*session->port >= 1 && *session->port <= 65535),
                    "a session port out of range");
    } else {
        fuzz::check(!problem.isEmpty(), "a refusal without a message");
    }
    return 0;
}
