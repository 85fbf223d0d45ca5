#include "core/streams/Stream.h"

#include <QLatin1StringView>
#include <algorithm>
#include <arpa/inet.h>
#include <iterator>

namespace kelvane {

Stream Stream::fromEntry(const QString &entry, qint32 position) {
    Stream stream;
    stream.position = position;
    const qsizetype hash = entry.indexOf(QLatin1Char('#'));
    if (hash < 0) {
        // Written by another client: the whole text is the address, and the address is
        // the best name there is.
        stream.url = entry;
        stream.name = entry;
        return stream;
    }
    stream.url = entry.left(hash);
    stream.name = entry.mid(hash + 1);
    return stream;
}

namespace {
// The network inputs of mpd (curl, ffmpeg, mms): the schemes a saved or resolved stream
// address can have. Local ones (file, cdda, alsa, nfs, smb) are not radio streams.
constexpr QLatin1StringView streamSchemes[] = {
    QLatin1StringView("http"),     QLatin1StringView("https"),     QLatin1StringView("mms"),
    QLatin1StringView("mmsh"),     QLatin1StringView("mmst"),      QLatin1StringView("mmsu"),
    QLatin1StringView("rtp"),      QLatin1StringView("rtsp"),      QLatin1StringView("rtsps"),
    QLatin1StringView("rtmp"),     QLatin1StringView("rtmpt"),     QLatin1StringView("rtmps"),
    QLatin1StringView("hls+http"), QLatin1StringView("hls+https"),
};

bool isIPv6(QStringView host) {
    in6_addr address;
    return inet_pton(AF_INET6, host.toLatin1().constData(), &address) == 1;
}
} // namespace

bool Stream::isPlayableAddress(const QString &url) {
    for (QChar c : url) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u == 0x7f || c.isSpace() || u == u'"' || u == u'<' || u == u'>' ||
            u == u'\\' || u == u'{' || u == u'}' || u == u'|' || u == u'^' || u == u'`')
            return false;
    }
    const qsizetype separator = url.indexOf(QLatin1String("://"));
    if (separator <= 0) return false;
    const QString scheme = url.first(separator).toLower();
    if (std::find(std::begin(streamSchemes), std::end(streamSchemes), scheme) ==
        std::end(streamSchemes))
        return false;
    QStringView rest = QStringView(url).mid(separator + 3);
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != u'/' && rest[end] != u'?' && rest[end] != u'#')
        ++end;
    QStringView authority = rest.first(end);
    const QStringView after = rest.mid(end);
    authority = authority.mid(authority.lastIndexOf(u'@') + 1); // user and password
    QStringView host = authority;
    QStringView port;
    if (authority.startsWith(u'[')) {
        // An IPv6 address: the only place a bracket belongs.
        const qsizetype close = authority.indexOf(u']');
        if (close < 0 || !isIPv6(authority.mid(1, close - 1))) return false;
        host = authority.first(close + 1);
        port = authority.mid(close + 1);
        if (!port.isEmpty() && !port.startsWith(u':')) return false;
        port = port.mid(1);
    } else {
        const qsizetype colon = authority.indexOf(u':');
        if (colon >= 0) {
            host = authority.first(colon);
            port = authority.mid(colon + 1);
        }
        if (host.contains(u'[') || host.contains(u']')) return false;
    }
    if (host.isEmpty()) return false;
    for (QChar c : port)
        if (c < u'0' || c > u'9') return false;
    return !after.contains(u'[') && !after.contains(u']');
}

QString Stream::entryText(const QString &url, const QString &name) {
    return url + QLatin1Char('#') + name;
}

} // namespace kelvane
