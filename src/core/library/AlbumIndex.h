#pragma once

// Makes albums out of songs while the catalogue is read, directory by directory: the
// server has no albums. An album is the pair (Album tag, AlbumArtist or else Artist),
// compared exactly, and is known by the directory of its first song; a song lacking the
// album name or both artist tags always starts an album of its own. Whichever thread
// builds it; not shared.
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
    // Counts the song for its album, or starts one known by directory.
    void add(const QString &directory, const mpdc::SongInfo &song);
    // In order of first appearance, unsorted.
    const QList<Album> &albums() const { return m_albums; }

  private:
    // An index instead of a scan of all albums per song: the scan made the catalogue
    // cost songs × albums.
    QHash<std::pair<QString, QString>, qsizetype> m_index;
    QList<Album> m_albums;
};

} // namespace kelvane
