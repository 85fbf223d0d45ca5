#pragma once

#include <QString>
#include <optional>

namespace kelvane {

// Server addresses as people write them: a numeric address, a host name, or the path of
// MPD's local socket ("/run/mpd/socket", "~/.mpd/socket"). Pure functions of text, apart
// from expandHome() and defaultSocket(), which look at the environment.
namespace serveraddress {

// A local socket path: it starts with "/" or "~" (or "@", Linux's abstract sockets).
bool isSocketPath(const QString &host);
// "~/x" as a path in the user's home; anything else as it is.
QString expandHome(const QString &host);
// A syntactically valid DNS host name: letters, digits and hyphens in dot-separated
// labels of 1 to 63 characters, at most 253 in all, not all digits and dots.
bool isHostName(const QString &host);
// What the connection can be asked to reach without looking anything up: a numeric
// address, a host name, or a socket path (whether it exists is checked elsewhere).
bool isWellFormed(const QString &host);

// A socket path that names an existing socket now ("@" abstract names cannot be looked
// at and count as existing).
bool isExistingSocket(const QString &host);
// Whether the name resolves to at least one address. Blocks for as long as the system's
// resolver takes: call it off the GUI thread.
bool resolves(const QString &host);

// MPD_HOST: "[password@]host", where host may be a socket path. The password is the
// text before the last "@", except for a socket path, which may itself hold "@" and
// whose password comes before its first "@/" or "@~".
struct HostAndPassword {
    QString host;
    std::optional<QString> password;
};
HostAndPassword parseMpdHost(const QString &value);

// The socket of the user's own mpd, "$XDG_RUNTIME_DIR/mpd/socket", when it exists.
std::optional<QString> defaultSocket();

// A text naming the server for cache keys and messages: "host:port", or the socket path.
QString label(const QString &host, quint32 port);

} // namespace serveraddress
} // namespace kelvane
