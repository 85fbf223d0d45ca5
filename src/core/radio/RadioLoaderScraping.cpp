// The text side of RadioLoader: pure functions of a fetched OPML document.
#include "core/radio/HtmlDecode.h"
#include "core/radio/RadioLoader.h"

namespace kelvane {

namespace {

// The text after the first opening marker up to the next double quote; null when
// the marker or the closing quote is missing.
QString cutValue(const QString &piece, QStringView opening) {
    const qsizetype marker = piece.indexOf(opening);
    if (marker < 0) return QString();
    const qsizetype start = marker + opening.size();
    const qsizetype closing = piece.indexOf(u'"', start);
    if (closing < 0) return QString();
    if (closing == start) return QStringLiteral("");
    return piece.mid(start, closing - start);
}

QString orSentinel(const QString &value, const QString &sentinel) {
    return !value.isNull() && value.isEmpty() ? sentinel : value;
}

} // namespace

std::optional<QStringList> RadioLoader::regimeSec(const QString &document) const {
    QString text = document;
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    // Only a text attribute that follows another one becomes a name; one that opens
    // its element keeps its name and is never read.
    text.replace(QStringLiteral("\" text=\""), QStringLiteral("\" radioname=\""));
    if (!text.contains(QStringLiteral("<status>200</status>"))) return std::nullopt;
    const qsizetype start = text.indexOf(QStringLiteral("<outline"));
    if (start < 0) return QStringList();
    qsizetype end = text.indexOf(QStringLiteral("</body>"), start);
    // A page cut short still gives the outlines it holds.
    if (end < 0) end = text.size();
    return text.mid(start, end - start).split(u'\n');
}

QList<Radio> RadioLoader::tri(const QString &document) const {
    QList<Radio> radios;
    const std::optional<QStringList> lines = regimeSec(document);
    if (!lines) return radios;
    for (const QString &line : *lines) {
        if (line.contains(QStringLiteral("type=\"link\"")))
            radios << moulinetteLien(line);
        else if (line.contains(QStringLiteral("type=\"audio\"")))
            radios << moulinetteNode(line);
    }
    return radios;
}

QStringList RadioLoader::decoupe(const QString &line) const {
    QString text = line;
    text.remove(QStringLiteral("<outline "));
    text.remove(QStringLiteral("/>"));
    text.replace(QStringLiteral("\" "), QStringLiteral("\"\n"));
    return text.split(u'\n');
}

Radio RadioLoader::moulinetteLien(const QString &line) const {
    Radio radio;
    radio.isLink(Radio::yes());
    for (const QString &piece : decoupe(line)) {
        radio.setImage(QStringLiteral("null"));
        if (piece.contains(QStringLiteral("URL="))) radio.setUrl(getUrl(piece));
        if (piece.contains(QStringLiteral("radioname="))) radio.setName(getText(piece));
    }
    return radio;
}

Radio RadioLoader::moulinetteNode(const QString &line) const {
    Radio radio;
    radio.isLink(Radio::no());
    for (const QString &piece : decoupe(line)) {
        if (piece.contains(QStringLiteral("URL="))) radio.setUrl(getUrl(piece));
        if (piece.startsWith(QStringLiteral("radioname="))) radio.setName(getText(piece));
        if (piece.contains(QStringLiteral("subtext="))) radio.setDescription(getSubText(piece));
        if (piece.contains(QStringLiteral("image="))) radio.setImage(getImage(piece));
    }
    return radio;
}

QString RadioLoader::getUrl(const QString &piece) const {
    return orSentinel(cutValue(piece, u"URL=\""), QStringLiteral("null0"));
}

QString RadioLoader::getText(const QString &piece) const {
    // Decoding the whole piece first means an encoded quote ends the name there.
    return orSentinel(cutValue(htmlDecode(piece), u"radioname=\""), QStringLiteral("null1"));
}

QString RadioLoader::getSubText(const QString &piece) const {
    return cutValue(htmlDecode(piece), u"subtext=\"");
}

QString RadioLoader::getImage(const QString &piece) const {
    return cutValue(piece, u"image=\"");
}

} // namespace kelvane
