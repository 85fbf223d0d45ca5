#pragma once

// MPDPlayLists — the server's stored playlists.
//   MPDPlayLists::sMPDPlayLists()
//   getPlaylists() -> optional<QStringList>   names in case-insensitive order, without
//                                             the saved-streams playlist "[Radio Streams]";
//                                             nullopt when not connected
//   getPlaylist(name) -> optional<QList<Song>> the songs of the playlist of exactly that
//                                             name (empty when there is none); entries the
//                                             server does not know are left out
//   renamePlaylist(oldName, newName), newPlaylist(name), deletePlaylist(name)
//   playlistSong(songInfo) -> Song            the playlist reading of one server song
//                                             (artist: AlbumArtist, else Artist)
// Thread: GUI. Writes do nothing when not connected.
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelvane {

namespace mpdc {
struct SongInfo;
}

class MPDPlayLists {
  public:
    static MPDPlayLists &sMPDPlayLists();
    MPDPlayLists(const MPDPlayLists &) = delete;
    MPDPlayLists &operator=(const MPDPlayLists &) = delete;

    std::optional<QStringList> getPlaylists();
    std::optional<QList<Song>> getPlaylist(const QString &name);
    // Whether the server has a stored playlist of exactly that name (the saved streams'
    // one included); none when not connected.
    std::optional<bool> hasPlaylist(const QString &name);
    void renamePlaylist(const QString &oldName, const QString &newName);
    void newPlaylist(const QString &name);
    void deletePlaylist(const QString &name);
    // Appends the songs to a stored playlist (created when it does not exist).
    void addToPlaylist(const QString &name, const QList<Song> &songs);

    static Song playlistSong(const mpdc::SongInfo &song);

  private:
    MPDPlayLists() = default;
};

} // namespace kelvane
