#include "core/library/AlbumIndex.h"

#include "core/model/Song.h"
#include "mpdc/Records.h"

namespace kelvane {

void AlbumIndex::add(const QString &directory, const mpdc::SongInfo &song) {
    const QString artist = song.albumArtist.isNull() ? song.artist : song.albumArtist;
    const QString &name = song.album;
    // An absent name or artist matches nothing, so such a song is an album of its own.
    const bool identified = !artist.isNull() && !name.isNull();
    const std::pair<QString, QString> key{name, artist};
    if (identified && m_index.contains(key)) return;
    Album album;
    album.artist = artist;
    album.albumName = name;
    album.genre = song.genre;
    album.date = Song::integerValue(song.date);
    album.path = directory;
    album.firstSong = song.uri;
    if (identified) m_index.insert(key, m_albums.size());
    m_albums.append(std::move(album));
}

} // namespace kelvane
