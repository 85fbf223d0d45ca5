#include "core/library/MPDPlayLists.h"

#include "core/library/MPDAlbum.h"
#include "core/library/ServerSong.h"
#include "core/mpd/ExactPlaylist.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
// The saved streams live in this stored playlist; it is not one of the user's lists.
const QString streamsPlaylist = QStringLiteral("[Radio Streams]");

// A database song carries its modification time; an entry the database does not know
// (a moved or deleted file) comes back as a bare uri. An address ("http://...") is
// not in the database either, yet is a real entry.
bool isKnownEntry(const mpdc::SongInfo &song) {
    return song.lastModified != 0 || song.uri.contains(QLatin1String("://"));
}
} // namespace

MPDPlayLists &MPDPlayLists::sMPDPlayLists() {
    static MPDPlayLists instance;
    return instance;
}

std::optional<QStringList> MPDPlayLists::getPlaylists() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    auto names = connection->playlists();
    if (!bulk.answered(names, *connection)) return std::nullopt;
    // Only the streams playlist itself is hidden: "[Radio Streams] old" is the user's
    // own list and stays reachable.
    names->removeAll(streamsPlaylist);
    return MPDAlbum::sortList(*names);
}

std::optional<QList<Song>> MPDPlayLists::getPlaylist(const QString &name) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    // One "listplaylistinfo" describes every entry, as a "lsinfo" per entry did, at the
    // cost of one exchange instead of one per entry.
    const auto entries = readExactPlaylist(*connection, name, &mpdc::Connection::playlistSongs);
    if (!bulk.answered(entries, *connection)) return std::nullopt;
    QList<Song> songs;
    songs.reserve(qsizetype(entries->size()));
    for (const mpdc::SongInfo &entry : *entries)
        if (isKnownEntry(entry)) songs.append(songFromServer(entry, SongReading::Playlist));
    return songs;
}

std::optional<bool> MPDPlayLists::hasPlaylist(const QString &name) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    const auto names = connection->playlists();
    if (!bulk.answered(names, *connection)) return std::nullopt;
    return names->contains(name);
}

void MPDPlayLists::renamePlaylist(const QString &oldName, const QString &newName) {
    MPDSocket::sMPDSocket().send(
        [oldName, newName](mpdc::Connection &c) { c.rename(oldName, newName); },
        MPDSocket::Refresh::None);
}

void MPDPlayLists::newPlaylist(const QString &name) {
    MPDSocket::sMPDSocket().send(
        [name](mpdc::Connection &c) {
            const auto names = c.playlists();
            // Creating is "add, then clear": on an existing playlist that would wipe the
            // user's songs, so an existing one is left as it is.
            if (!names || names->contains(name)) return;
            // The server has no "create". One address added and deleted again makes the
            // empty file; a server that takes no addresses gets the whole database added
            // and cleared, which makes nothing when the database is empty.
            {
                mpdc::Connection::QuietRefusals quiet(c);
                if (c.playlistAdd(name, QStringLiteral("http://localhost/")))
                    c.playlistDelete(name, 0);
                else if (!c.hasError() && c.playlistAdd(name, QString(QLatin1String(""))))
                    c.playlistClear(name);
            }
            if (c.hasError()) return; // the link reports the broken connection
            const auto after = c.playlists();
            if (after && !after->contains(name))
                MPDServerError::sMPDServerError().sendMessage(
                    QString::fromLatin1(playlistNotCreatedMessage));
        },
        MPDSocket::Refresh::None);
}

void MPDPlayLists::addToPlaylist(const QString &name, const QList<Song> &songs) {
    // One job: the songs land together, in order.
    MPDSocket::sMPDSocket().send(
        [name, songs](mpdc::Connection &c) {
            for (const Song &song : songs) {
                if (song.fullPath().isEmpty()) continue; // the whole database, to the server
                if (!c.playlistAdd(name, song.fullPath())) break;
            }
        },
        MPDSocket::Refresh::None);
}

void MPDPlayLists::deletePlaylist(const QString &name) {
    MPDSocket::sMPDSocket().send([name](mpdc::Connection &c) { c.removePlaylist(name); },
                                 MPDSocket::Refresh::None);
}

} // namespace kelvane
