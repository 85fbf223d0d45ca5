#include "covers/CoverRequest.h"

#include <QUrlQuery>

namespace kelvane {

namespace {
const QString albumKey = QStringLiteral("album");
const QString songKey = QStringLiteral("song");

// Every byte but the unreserved ones is escaped, so "&", "=", "+", "#" and "%" in a
// directory name cannot end or bend a value.
QByteArray escaped(const QString &text) {
    return text.toUtf8().toPercentEncoding();
}
} // namespace

QUrl CoverRequest::address(const QString &albumPath, const QString &songUri) {
    const QByteArray text = scheme.toLatin1() + ":?" + albumKey.toLatin1() + '=' +
                            escaped(albumPath) + '&' + songKey.toLatin1() + '=' + escaped(songUri);
    return QUrl::fromEncoded(text, QUrl::StrictMode);
}

std::optional<CoverRequest> CoverRequest::parse(const QUrl &url) {
    if (!url.isValid() || url.scheme() != scheme || !url.path().isEmpty() || !url.hasQuery())
        return std::nullopt;
    const QStringList pairs = url.query(QUrl::FullyEncoded).split(QLatin1Char('&'));
    if (pairs.size() != 2) return std::nullopt;
    const auto value = [&pairs](int index, const QString &key) -> std::optional<QString> {
        const QString &pair = pairs[index];
        if (!pair.startsWith(key + QLatin1Char('='))) return std::nullopt;
        const QByteArray encoded = pair.mid(key.size() + 1).toLatin1();
        return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
    };
    const auto album = value(0, albumKey);
    const auto song = value(1, songKey);
    if (!album || !song) return std::nullopt;
    return CoverRequest{*album, *song};
}

} // namespace kelvane
