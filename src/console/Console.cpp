#include "console/Console.h"

#include "console/ConsoleWriter.h"

#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"

#include <QCoreApplication>

namespace kelvane {

Console::Console(QHash<QString, QString> options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    for (auto group : {coreCommands(), libraryCommands(), radioCommands(), imageCommands()})
        m_commands.insert(m_commands.end(), group.begin(), group.end());
}

Console::~Console() = default;

void Console::start()
{
    // Command line first, then the environment, then the stored settings; none of
    // them is written to the store.
    std::optional<QString> host;
    std::optional<quint32> port;
    QString envHost = qEnvironmentVariable("MPD_HOST");
    if (envHost.contains(QLatin1Char('@'))) // "password@host" form of other MPD clients
        envHost = envHost.mid(envHost.lastIndexOf(QLatin1Char('@')) + 1);
    if (!option(QStringLiteral("host")).isEmpty())
        host = option(QStringLiteral("host"));
    else if (!envHost.isEmpty())
        host = envHost;
    const QString portText = !option(QStringLiteral("port")).isEmpty() ? option(QStringLiteral("port"))
                                                                       : qEnvironmentVariable("MPD_PORT");
    bool ok = false;
    const uint portValue = portText.toUInt(&ok);
    if (ok && portValue <= 65535)
        port = portValue;
    Setting::sSetting().setSessionServer(host, port);
    if (!option(QStringLiteral("radio-base")).isEmpty())
        Setting::sSetting().setSessionRadioBase(option(QStringLiteral("radio-base")));

    if (!option(QStringLiteral("cover-host")).isEmpty())
        Setting::sSetting().setSessionHTTP(option(QStringLiteral("cover-host")));

    m_listener = std::make_unique<ConsoleListener>();
    MPDSocket::sMPDSocket();
}

void Console::execute(const QString &rawLine)
{
    QString line = rawLine;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return;
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString name = space < 0 ? line : line.left(space);
    const QString argument = space < 0 ? QString() : line.mid(space + 1);
    for (const ConsoleCommand &command : m_commands) {
        if (command.name == name) {
            command.run(*this, argument);
            return;
        }
    }
    ConsoleWriter::line({QStringLiteral("unknown"), line});
}

void Console::quit()
{
    QCoreApplication::exit(0);
}

} // namespace kelvane
