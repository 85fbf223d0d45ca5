#pragma once

// CoverFile — where the disk cache keeps the cover the now-playing bar shows for a
// song: the album directory's cover address, keyed as the image manager keys it.
//   addressFor(songPath)  the cover's web address; invalid for a stream or no song
//   pathFor(songPath)     the cache file for that address (it may not exist yet)
// Thread: GUI (the address reads the settings).
#include <QString>
#include <QUrl>

namespace kelvane {

class CoverFile {
  public:
    static QUrl addressFor(const QString &songPath);
    static QString pathFor(const QString &songPath);
    // file:// URL of the cached cover, or "" when the cache has none.
    static QString cachedUrlFor(const QString &songPath);
};

} // namespace kelvane
