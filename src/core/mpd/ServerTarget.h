#pragma once

#include <QString>
#include <optional>

namespace kelvane {

// The server every connection of a session goes to, with the password it wants: taken
// from the settings once per connect, so every connection reaches the same server as the
// first even if the preferences change meanwhile. A plain value; any thread.
struct ServerTarget {
    QString host; // a name, a numeric address or a socket path ("~" expanded)
    quint32 port = 0;
    std::optional<QString> password;

    // From the settings (GUI thread).
    static ServerTarget fromSettings();
    // "host:port" or the socket path, for cache keys and messages.
    QString label() const;
    bool operator==(const ServerTarget &) const = default;
};

} // namespace kelvane
