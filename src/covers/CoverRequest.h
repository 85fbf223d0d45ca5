#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace kelvane {

// An album's cover named as an image address, so every view that shows covers keeps
// handing the image loader one address per picture (and comparing addresses to drop
// stale answers) while the cover chain decides where the picture comes from. The
// address holds the album's directory and one of its songs (the server reads pictures
// per song). Any thread.
struct CoverRequest {
    QString albumPath;
    QString songUri;

    static inline const QString scheme = QStringLiteral("albumcover");
    static QUrl address(const QString &albumPath, const QString &songUri);
    // Only an address made by address() parses; anything else names no cover.
    static std::optional<CoverRequest> parse(const QUrl &url);

    bool operator==(const CoverRequest &) const = default;
};

} // namespace kelvane
