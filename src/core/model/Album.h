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
    qint32 date = 0; // integer value of the Date tag
    // The uri of the first of its songs met: whose cover file or embedded picture the
    // server can hand out. Not part of what the album is: equality leaves it out.
    QString firstSong;

    friend bool operator==(const Album &a, const Album &b) {
        return a.artist == b.artist && a.albumName == b.albumName && a.path == b.path &&
               a.genre == b.genre && a.date == b.date;
    }
};

} // namespace kelvane
