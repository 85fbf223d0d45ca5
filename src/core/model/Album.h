#pragma once

#include <QString>

namespace kelvane {

// One album as the catalogue identifies it: (album name, album artist), known by the
// first directory one of its songs was met in. Absent texts stay absent (null).
struct Album {
    QString artist;    // AlbumArtist of the first song met, else its Artist
    QString albumName; // the Album tag
    QString path;      // directory relative to the music directory; "" for the root
    QString genre;
    qint32 date = 0;   // integer value of the Date tag

    friend bool operator==(const Album &, const Album &) = default;
};

} // namespace kelvane
