#pragma once

// The user's stored playlists on the server. The saved radio streams live in one of them
// too ("[Radio Streams]"), which is not the user's and stays out of the names. Reads go
// over the bulk connection and block (any thread); changes are sent through the command
// thread and return at once (GUI thread), doing nothing when not connected.
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelvane {

class MPDPlayLists {
  public:
    static MPDPlayLists &sMPDPlayLists();
    MPDPlayLists(const MPDPlayLists &) = delete;
    MPDPlayLists &operator=(const MPDPlayLists &) = delete;

    // Case aside, in order; none when not connected.
    std::optional<QStringList> getPlaylists();
    // The songs of the playlist of exactly that name (empty when there is none), without
    // the entries the server no longer knows.
    std::optional<QList<Song>> getPlaylist(const QString &name);
    // Whether the server has a stored playlist of exactly that name (the saved streams'
    // one included); none when not connected.
    std::optional<bool> hasPlaylist(const QString &name);
    void renamePlaylist(const QString &oldName, const QString &newName);
    void newPlaylist(const QString &name);
    void deletePlaylist(const QString &name);
    // Appends the songs to a stored playlist (created when it does not exist).
    void addToPlaylist(const QString &name, const QList<Song> &songs);

  private:
    MPDPlayLists() = default;
};

} // namespace kelvane
