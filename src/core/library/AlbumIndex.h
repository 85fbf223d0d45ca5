#pragma once

// AlbumIndex — turns the songs of the database, directory by directory, into albums:
//   add(directory, song)  counts the song for the album (name, album artist) it
//                         belongs to, or starts a new album known by that directory
//   albums()              the albums in order of first appearance, unsorted
// An album is the pair (Album tag, AlbumArtist or else Artist), compared exactly; a song
// lacking the album name or both artist tags always starts an album of its own.
// Thread: whichever builds it; not shared.
#include "core/model/Album.h"

#include <QHash>
#include <QList>
#include <QString>
#include <utility>

namespace kelvane {

namespace mpdc {
struct SongInfo;
}

class AlbumIndex {
  public:
    void add(const QString &directory, const mpdc::SongInfo &song);
    const QList<Album> &albums() const { return m_albums; }

  private:
    // An index instead of a scan of all albums per song: the scan made the catalogue
    // cost songs × albums.
    QHash<std::pair<QString, QString>, qsizetype> m_index;
    QList<Album> m_albums;
};

} // namespace kelvane
