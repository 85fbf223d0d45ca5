#include "desktop/CoverFile.h"

#include "core/library/CoverAddress.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageManager.h"

#include <QFileInfo>

namespace kelvane {

QUrl CoverFile::addressFor(const QString &songPath) {
    // Streams and no song have no album directory (the bar shows its placeholder).
    if (songPath.isEmpty() || songPath.contains(QLatin1String("://"))) return {};
    return CoverAddress::gridAddress(songPath.section(QLatin1Char('/'), 0, -2));
}

QString CoverFile::pathFor(const QString &songPath) {
    const QUrl address = addressFor(songPath);
    if (!address.isValid()) return {};
    const QString key = ImageManager::sharedManager().cacheKeyForURL(address);
    return ImageCache::sharedImageCache().defaultCachePathForKey(key);
}

QString CoverFile::cachedUrlFor(const QString &songPath) {
    const QString path = pathFor(songPath);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return QString(QLatin1String(""));
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

} // namespace kelvane
