#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace kelvane {

// The server chosen for one run, from the command line (--host, --port, --cover-host)
// or the environment (MPD_HOST, MPD_PORT); the options win over the environment. It
// goes to Setting as a session override and is never stored.
struct SessionServer {
    std::optional<QString> host;
    std::optional<quint32> port;
    std::optional<QString> coverHost;
    std::optional<QString> password; // from MPD_HOST="secret@host", for this run only

    struct Inputs {
        // Every field has a default, so {host, port} alone compiles without warnings.
        std::optional<QString> hostOption = std::nullopt;
        std::optional<QString> portOption = std::nullopt;
        std::optional<QString> coverOption = std::nullopt;
        QString envHost = {};
        QString envPort = {};
    };
    // None, with a French message in problem, for an empty host or a malformed port.
    // MPD_HOST may carry a password in front ("secret@host", "secret@/run/mpd/socket"):
    // it is used for this run and never stored. A --host option drops it with the host.
    static std::optional<SessionServer> from(const Inputs &in, QString *problem);
    // Hands the values given to Setting; nothing given, nothing changed.
    void apply() const;

    // The session's options as the window and the console both take them: the server
    // from option ("host", "port", "cover-host") and the environment, and a non-empty
    // "radio-base", handed to Setting for this run. False, with the French message in
    // problem and nothing applied, when one is malformed.
    using Option = std::function<std::optional<QString>(const char *name)>;
    static bool applyOptions(const Option &option, QString *problem);
};

} // namespace kelvane
