#include "core/radio/StreamPlaylist.h"

#include "core/streams/Stream.h"

#include <QRegularExpression>

namespace kelvane {

namespace {

// Playlist lines without the line feed and one trailing carriage return.
QList<QStringView> playlistLines(const QString &text) {
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView &line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
    }
    return lines;
}

} // namespace

qsizetype StreamPlaylist::addressStart(QStringView line, qsizetype from) {
    const qsizetype plain = line.indexOf(u"http://", from);
    const qsizetype secure = line.indexOf(u"https://", from);
    if (plain < 0) return secure;
    if (secure < 0) return plain;
    return std::min(plain, secure);
}

QString StreamPlaylist::firstLine(const QString &text) {
    if (text.isEmpty()) return QString();
    const qsizetype feed = text.indexOf(u'\n');
    QString line = feed < 0 ? text : text.left(feed);
    // Directory answers come with CRLF endings; a kept "\r" would hide the extension.
    if (line.endsWith(u'\r')) line.chop(1);
    return line;
}

QString StreamPlaylist::pathExtension(QStringView line) {
    QStringView path = line;
    while (path.endsWith(u'/'))
        path.chop(1);
    const QStringView component = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = component.lastIndexOf(u'.');
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0) return QStringLiteral("");
    return component.mid(dot + 1).toString();
}

StreamPlaylist::Kind StreamPlaylist::kindOf(QStringView line) {
    const QString extension = pathExtension(line).toLower();
    if (extension == u"pls") return Kind::Pls;
    if (extension == u"m3u" || extension == u"m3u8") return Kind::M3u;
    if (extension == u"asx") return Kind::Asx;
    return Kind::Stream;
}

StreamPlaylist::Kind StreamPlaylist::kindOfContent(QStringView text) {
    // Only the start matters: a playlist says what it is on its first line.
    qsizetype at = 0;
    if (text.startsWith(u'\uFEFF')) at = 1;
    while (at < text.size() && text[at].isSpace())
        ++at;
    const QStringView start = text.mid(at, 512);
    const qsizetype feed = start.indexOf(u'\n');
    const QStringView first = (feed < 0 ? start : start.first(feed)).trimmed();
    if (first.compare(u"[playlist]", Qt::CaseInsensitive) == 0) return Kind::Pls;
    static const QRegularExpression plsEntry(QStringLiteral(R"(^file\d*\s*=)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (plsEntry.match(first).hasMatch()) return Kind::Pls;
    if (first.startsWith(u"#EXT", Qt::CaseInsensitive)) return Kind::M3u; // #EXTM3U, #EXTINF
    if (start.startsWith(u"<asx", Qt::CaseInsensitive)) return Kind::Asx;
    if (start.startsWith(u"<?xml", Qt::CaseInsensitive)) {
        const qsizetype declared = start.indexOf(u"?>");
        if (declared >= 0 &&
            start.mid(declared + 2).trimmed().startsWith(u"<asx", Qt::CaseInsensitive))
            return Kind::Asx;
    }
    return Kind::Stream;
}

QString StreamPlaylist::fromFile(Kind kind, const QString &text) {
    switch (kind) {
    case Kind::Pls:
        return fromPLS(text);
    case Kind::M3u:
        return fromM3U(text);
    case Kind::Asx:
        return fromASX(text);
    case Kind::Stream:
        break;
    }
    return QString();
}

bool StreamPlaylist::isPlayable(const QString &address) {
    return Stream::isPlayableAddress(address);
}

QString StreamPlaylist::fromPLS(const QString &text) {
    for (QStringView line : playlistLines(text)) {
        const qsizetype equals = line.indexOf(u'=');
        const QStringView key = (equals < 0 ? line : line.first(equals)).trimmed();
        if (!key.startsWith(u"file", Qt::CaseInsensitive)) continue;
        const qsizetype start = addressStart(line);
        if (start >= 0) return line.mid(start).toString();
    }
    return QString();
}

QString StreamPlaylist::fromM3U(const QString &text) {
    for (QStringView line : playlistLines(text)) {
        if (addressStart(line) >= 0) return line.toString();
    }
    return QString();
}

QString StreamPlaylist::fromASX(const QString &text) {
    static const QRegularExpression reference(QStringLiteral(R"(<ref\s+href\s*=\s*")"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (QStringView line : playlistLines(text)) {
        for (auto match = reference.globalMatch(line); match.hasNext();) {
            const qsizetype valueStart = match.next().capturedEnd();
            const qsizetype closing = line.indexOf(u'"', valueStart);
            if (closing < 0) continue;
            const QStringView value = line.mid(valueStart, closing - valueStart);
            const qsizetype start = addressStart(value);
            if (start >= 0) return value.mid(start).toString();
        }
    }
    return QString();
}

} // namespace kelvane
