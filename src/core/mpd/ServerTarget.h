#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
}

// The server every connection of a session goes to, with the password it wants: taken
// from the settings once per connect, so the second connection, the idle watcher and
// the picture readers reach the same server as the first even if the preferences
// change meanwhile. A plain value; any thread.
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

// Opens a connection to target and sends its password; never null. On failure the
// result is closed and holds the message (hasError()). Any thread; blocks up to the
// time-out (and the name look-up before it).
std::unique_ptr<mpdc::Connection> openConnection(const ServerTarget &target, unsigned timeoutMs);

} // namespace kelvane
