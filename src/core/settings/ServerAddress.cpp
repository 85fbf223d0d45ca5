#include "core/settings/ServerAddress.h"

#include "core/settings/Setting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace kelvane::serveraddress {

bool isSocketPath(const QString &host) {
    return host.startsWith(QLatin1Char('/')) || host.startsWith(QLatin1Char('~')) ||
           (host.size() > 1 && host.startsWith(QLatin1Char('@')));
}

QString expandHome(const QString &host) {
    if (host == QLatin1String("~")) return QDir::homePath();
    if (host.startsWith(QLatin1String("~/"))) return QDir::homePath() + host.mid(1);
    return host;
}

bool isHostName(const QString &host) {
    if (host.isEmpty() || host.size() > 253) return false;
    const QString name = host.endsWith(QLatin1Char('.')) ? host.chopped(1) : host;
    bool onlyDigits = true;
    qsizetype labelStart = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == QLatin1Char('.')) {
            const qsizetype length = i - labelStart;
            if (length < 1 || length > 63) return false;
            if (name[labelStart] == QLatin1Char('-') || name[i - 1] == QLatin1Char('-'))
                return false;
            labelStart = i + 1;
            continue;
        }
        const char16_t c = name[i].unicode();
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!digit && !letter && c != '-') return false;
        onlyDigits = onlyDigits && digit;
    }
    // "192.168.1.256" is a mistyped address, not a name.
    return !onlyDigits;
}

bool isWellFormed(const QString &host) {
    if (isSocketPath(host))
        return host.size() > 1 && !host.contains(QChar(0)) && !host.contains(QLatin1Char('\n'));
    return Setting::isValidIP(host) || isHostName(host);
}

bool isExistingSocket(const QString &host) {
    if (!isSocketPath(host) || host.contains(QChar(0))) return false;
    if (host.startsWith(QLatin1Char('@'))) return host.size() > 1;
    struct stat info {};
    return ::stat(QFile::encodeName(expandHome(host)).constData(), &info) == 0 &&
           S_ISSOCK(info.st_mode);
}

bool resolves(const QString &host) {
    if (!isHostName(host) && !Setting::isValidIP(host)) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int rc = ::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (found) ::freeaddrinfo(found);
    return rc == 0;
}

HostAndPassword parseMpdHost(const QString &value) {
    HostAndPassword out{value, std::nullopt};
    if (value.isEmpty() || isSocketPath(value)) return out;
    // A password in front of a socket path: "secret@/run/mpd/socket".
    for (const char *start : {"@/", "@~"}) {
        const qsizetype at = value.indexOf(QLatin1String(start));
        if (at >= 0) {
            out.password = value.left(at);
            out.host = value.mid(at + 1);
            return out;
        }
    }
    const qsizetype at = value.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        out.password = value.left(at);
        out.host = value.mid(at + 1);
    }
    return out;
}

std::optional<QString> defaultSocket() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) return std::nullopt;
    const QString path = QDir(runtime).filePath(QStringLiteral("mpd/socket"));
    return QFileInfo::exists(path) ? std::optional<QString>(path) : std::nullopt;
}

QString label(const QString &host, quint32 port) {
    if (isSocketPath(host)) return expandHome(host);
    if (host.contains(QLatin1Char(':'))) return QStringLiteral("[%1]:%2").arg(host).arg(port);
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

} // namespace kelvane::serveraddress
