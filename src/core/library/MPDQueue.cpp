#include "core/library/MPDQueue.h"

#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <algorithm>

namespace kelvane {

MPDQueue &MPDQueue::sMPDQueue() {
    static MPDQueue instance;
    return instance;
}

Song MPDQueue::queueSong(const mpdc::SongInfo &info) {
    Song song;
    song.setComposer(info.composer);
    song.setArtist(info.artist);
    song.setAlbum(info.album);
    song.setAlbumArtist(info.albumArtist);
    song.setTitle(info.title);
    song.setTrack(Song::integerValue(info.track));
    song.setDate(Song::integerValue(info.date));
    song.setGenre(info.genre);
    song.setDuration(qint32(info.duration));
    song.setFullPath(info.uri);
    return song;
}

std::optional<QList<Song>> MPDQueue::getQueue() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    // The whole queue in one "playlistinfo": a request per entry made a 10,000-entry
    // queue cost 10,000 round trips.
    const auto songs = connection->queue();
    if (!songs) {
        if (connection->hasError()) bulk.reportFailure(*connection);
        return std::nullopt;
    }
    QList<Song> queue;
    queue.reserve(qsizetype(songs->size()));
    for (const mpdc::SongInfo &info : *songs)
        queue.append(queueSong(info));
    return queue;
}

QList<Song> MPDQueue::getSongs(qint32 count) {
    if (count <= 0) return {};
    QList<Song> songs = getQueue().value_or(QList<Song>());
    if (songs.size() > count) songs.resize(count);
    return songs;
}

void MPDQueue::addToQueue(const QList<Song> &songs) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    mpdc::Connection *connection = socket.getConnection();
    // Held across the adds so the songs land together, in order.
    auto guard = connection->lock();
    for (const Song &song : songs)
        // To the server an empty uri is the whole music directory.
        if (!song.fullPath().isEmpty()) connection->add(song.fullPath());
}

void MPDQueue::removeInQueue(const QList<qint32> &positions) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    // Every deletion moves the later songs down by one, so the k-th deletion is at
    // position - k. That only names the intended songs for ascending, distinct
    // positions: sorted here rather than trusted, since a wrong order deletes songs
    // the user did not pick.
    QList<qint32> ascending;
    for (qint32 p : positions)
        if (p >= 0) ascending.append(p);
    std::sort(ascending.begin(), ascending.end());
    ascending.erase(std::unique(ascending.begin(), ascending.end()), ascending.end());

    mpdc::Connection *connection = socket.getConnection();
    // The positions are only right if nothing else edits the queue in between.
    auto guard = connection->lock();
    for (qsizetype k = 0; k < ascending.size(); ++k)
        connection->deletePos(quint32(ascending[k] - k));
}

void MPDQueue::saveQueueAtPlaylist(const QString &name) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    socket.getConnection()->save(name);
}

} // namespace kelvane
