#include "core/commands/MPDCommand.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "core/streams/Stream.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
// The connection when it is usable; null otherwise, and the command does nothing.
mpdc::Connection *usableConnection() {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    return socket.isConnected() ? socket.getConnection() : nullptr;
}

std::optional<MPDStatus> lastSnapshot() {
    return MPDCache::sMPDCache().getStatus();
}

// What a command changed shows now, not at the next tick or idle wake-up.
void refreshed() {
    MPDSocket::sMPDSocket().refreshStatus();
}

// Said when a "replace the queue and play" finds nothing to play: the queue is left as
// it was, and the user learns why nothing happened.
void alert(const char *message) {
    MPDServerError::sMPDServerError().sendMessage(QString::fromLatin1(message));
}

// The uris worth adding (to the server "" is the whole music directory), and whether a
// start position is among them.
QStringList playable(const QStringList &uris) {
    QStringList out;
    for (const QString &uri : uris)
        if (!uri.isEmpty()) out << uri;
    return out;
}

bool startsInside(quint32 position, qsizetype count) {
    return count > 0 && (position == MPDCommand::noPosition || position < quint32(count));
}

constexpr qint32 statePlaying = 2;
constexpr qint32 statePaused = 3;
constexpr qint32 stateStopped = 1;
} // namespace

MPDCommand &MPDCommand::sMPDCommand() {
    static MPDCommand instance;
    return instance;
}

MPDCommand::MPDCommand() {
    MPDSocket::sMPDSocket();
    m_updateTimer.setSingleShot(true);
    QObject::connect(&m_updateTimer, &QTimer::timeout, &m_context, [this] { asyncUpdate(); });
}

void MPDCommand::connect() {
    MPDSocket::sMPDSocket().connect();
    if (m_updating) resumeUpdate();
}

void MPDCommand::connectSoon() {
    MPDSocket::sMPDSocket().connectSoon();
    if (m_updating) resumeUpdate();
}

void MPDCommand::disconnect() {
    MPDSocket::sMPDSocket().disconnect();
    if (!m_updating) return;
    // The server finishes its update on its own; nothing is left to wait with. The views
    // are told the update is over, with the list they showed before it.
    ++m_updateTicket;
    m_updateTimer.stop();
    finishUpdate(std::move(m_albumsBeforeUpdate), std::move(m_songsBeforeUpdate));
}

void MPDCommand::play() {
    extracted();
}

void MPDCommand::extracted() {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    const std::optional<MPDStatus> status = lastSnapshot();
    if (status && status->state == stateStopped) {
        connection->play();
        // The song may be the one shown before the stop: report it afresh anyway.
        MPDCache::sMPDCache().resetStatus();
    } else if (status && (status->state == statePlaying || status->state == statePaused)) {
        connection->togglePause();
    } else {
        connection->play();
    }
    refreshed();
}

void MPDCommand::stop() {
    if (mpdc::Connection *connection = usableConnection()) {
        connection->stop();
        refreshed();
    }
}

void MPDCommand::next() {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    // A fresh status rather than the last poll's: the queue may have changed since.
    auto guard = connection->lock();
    const std::optional<mpdc::StatusInfo> status = connection->status();
    if (!status || (status->state != statePlaying && status->state != statePaused)) return;
    // On the last entry nothing happens, unless the server goes on from there by itself
    // (repeat wraps to the first, random picks another).
    const bool goesOn = status->repeat || status->random;
    if ((goesOn || qint64(status->songPos) < qint64(status->queueLength) - 1) && connection->next())
        refreshed();
}

void MPDCommand::previous() {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    const std::optional<MPDStatus> status = lastSnapshot();
    if (status && (status->state == statePlaying || status->state == statePaused) &&
        connection->previous())
        refreshed();
}

void MPDCommand::setVolume(quint32 volume) {
    mpdc::Connection *connection = usableConnection();
    if (connection && connection->setVolume(volume)) refreshed();
}

void MPDCommand::seekPosition(float seconds) {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    const std::optional<MPDStatus> status = lastSnapshot();
    if (status && status->state == statePlaying && connection->seekCurrent(seconds)) refreshed();
}

void MPDCommand::playAlbum(const QString &albumName, const QString &path, quint32 position) {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    auto guard = connection->lock();
    // The songs are read before the queue is touched. A directory gone since the album
    // was shown is the server's refusal, reported once already; a broken link is the
    // poll's to report. Either way the queue stays.
    const auto listing = connection->listMeta(path);
    if (!listing) return;
    QStringList uris;
    for (const mpdc::Entity &entity : *listing) {
        if (entity.type != mpdc::Entity::Type::Song) continue;
        // Exact equality; an album without an Album tag is the songs without one
        // (QString alone would take a missing tag for an empty one).
        const QString &album = entity.song.album;
        if (album.isNull() == albumName.isNull() && album == albumName) uris << entity.song.uri;
    }
    playAlbum(uris, position);
}

void MPDCommand::playAlbum(const QStringList &uris, quint32 position) {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    const QStringList songs = playable(uris);
    // An album renamed or emptied by another client, or a start past its end: the
    // user's queue is not cleared for nothing.
    if (!startsInside(position, songs.size())) {
        alert(nothingToPlayMessage);
        return;
    }
    // Stop, clear, add and play as one piece: nothing else may touch the queue between.
    auto guard = connection->lock();
    connection->stop();
    connection->clear();
    for (const QString &uri : songs)
        connection->add(uri);
    if (position == noPosition)
        connection->play();
    else
        connection->playPos(position);
    refreshed();
}

void MPDCommand::playQueuePosition(quint32 position) {
    mpdc::Connection *connection = usableConnection();
    if (connection && connection->playPos(position)) refreshed();
}

void MPDCommand::playStream(const QString &url) {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    // What a resolver made of a playlist it misread ("[playlist]") is refused by the
    // server only once the queue is gone: nothing but a stream address goes, and ""
    // would be the whole music directory.
    if (!Stream::isPlayableAddress(url)) {
        alert(notAStreamMessage);
        return;
    }
    auto guard = connection->lock();
    connection->clear();
    connection->add(url);
    connection->play();
    refreshed();
}

void MPDCommand::playPlaylist(const QList<Song> &songs, quint32 position) {
    mpdc::Connection *connection = usableConnection();
    if (!connection) return;
    QStringList uris;
    for (const Song &song : songs)
        uris << song.fullPath();
    const QStringList entries = playable(uris);
    // Clearing the queue for a position the new one will not have (a playlist emptied
    // or shortened meanwhile) would lose the user's queue for nothing.
    if (!startsInside(position, entries.size())) {
        alert(nothingToPlayMessage);
        return;
    }
    auto guard = connection->lock();
    connection->clear();
    for (const QString &uri : entries)
        connection->add(uri);
    if (position == noPosition)
        connection->play();
    else
        connection->playPos(position);
    refreshed();
}

} // namespace kelvane
