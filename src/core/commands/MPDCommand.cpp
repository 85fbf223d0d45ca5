#include "core/commands/MPDCommand.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "core/streams/Stream.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
MPDSocket &socket() {
    return MPDSocket::sMPDSocket();
}

// The state of the last snapshot (None before the first), which several commands go by.
qint32 lastState() {
    const std::optional<MPDStatus> &status = MPDCache::sMPDCache().getStatus();
    return status ? status->state : qint32(PlayState::None);
}

bool playingOrPaused(qint32 state) {
    return state == PlayState::Playing || state == PlayState::Paused;
}

// Said when a "replace the queue and play" finds nothing to play: the queue is left as
// it was, and the user learns why nothing happened. Any thread.
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

// Stop, clear, add and play: one piece on the command thread, nothing in between. An
// album renamed or emptied by another client, or a start past its end: the user's
// queue is not cleared for nothing.
void replaceQueueAndPlay(mpdc::Connection &c, const QStringList &uris, quint32 position) {
    const QStringList songs = playable(uris);
    if (!startsInside(position, songs.size())) {
        alert(nothingToPlayMessage);
        return;
    }
    c.stop();
    c.clear();
    for (const QString &uri : songs)
        c.add(uri);
    if (position == MPDCommand::noPosition)
        c.play();
    else
        c.playPos(position);
}
} // namespace

MPDCommand &MPDCommand::sMPDCommand() {
    static MPDCommand instance;
    return instance;
}

MPDCommand::MPDCommand() {
    MPDSocket::sMPDSocket();
    m_updateTimer.setSingleShot(true);
    QObject::connect(&m_updateTimer, &QTimer::timeout, &m_context, [this] { nextUpdateStep(); });
}

void MPDCommand::connect() {
    socket().connect();
    if (m_updating) resumeUpdate();
}

void MPDCommand::connectSoon() {
    socket().connectSoon();
    if (m_updating) resumeUpdate();
}

void MPDCommand::disconnect() {
    socket().disconnect();
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
    const qint32 state = lastState();
    socket().send(
        [state](mpdc::Connection &c) {
            if (playingOrPaused(state)) {
                c.togglePause();
                return false;
            }
            c.play();
            return state == PlayState::Stopped;
        },
        [](bool fromStop) {
            // The song may be the one shown before the stop: report it afresh anyway.
            if (fromStop) MPDCache::sMPDCache().resetStatus();
        });
}

void MPDCommand::stop() {
    socket().send([](mpdc::Connection &c) { c.stop(); });
}

void MPDCommand::next() {
    socket().send([](mpdc::Connection &c) {
        // A fresh status rather than the last snapshot: the queue may have changed since.
        const std::optional<mpdc::StatusInfo> status = c.status();
        if (!status || !playingOrPaused(status->state)) return;
        // On the last entry nothing happens, unless the server goes on from there by
        // itself (repeat wraps to the first, random picks another).
        const bool goesOn = status->repeat || status->random;
        if (goesOn || qint64(status->songPos) < qint64(status->queueLength) - 1) c.next();
    });
}

void MPDCommand::previous() {
    if (!playingOrPaused(lastState())) return;
    socket().send([](mpdc::Connection &c) { c.previous(); });
}

void MPDCommand::setVolume(quint32 volume) {
    socket().send([volume](mpdc::Connection &c) { c.setVolume(volume); });
}

void MPDCommand::seekPosition(float seconds) {
    if (lastState() != PlayState::Playing) return;
    socket().send([seconds](mpdc::Connection &c) { c.seekCurrent(seconds); });
}

void MPDCommand::playAlbum(const QString &albumName, const QString &path, quint32 position) {
    socket().send([albumName, path, position](mpdc::Connection &c) {
        // The songs are read before the queue is touched. A directory gone since the
        // album was shown is the server's refusal, reported once already; a broken link
        // is the link's to report. Either way the queue stays.
        const auto listing = c.listMeta(path);
        if (!listing) return;
        QStringList uris;
        for (const mpdc::Entity &entity : *listing) {
            if (entity.type != mpdc::Entity::Type::Song) continue;
            // Exact equality; an album without an Album tag is the songs without one
            // (QString alone would take a missing tag for an empty one).
            const QString &album = entity.song.album;
            if (album.isNull() == albumName.isNull() && album == albumName) uris << entity.song.uri;
        }
        replaceQueueAndPlay(c, uris, position);
    });
}

void MPDCommand::playAlbum(const QStringList &uris, quint32 position) {
    socket().send(
        [uris, position](mpdc::Connection &c) { replaceQueueAndPlay(c, uris, position); });
}

void MPDCommand::playQueuePosition(quint32 position) {
    socket().send([position](mpdc::Connection &c) { c.playPos(position); });
}

void MPDCommand::playStream(const QString &url) {
    if (!socket().isConnected()) return;
    // What a resolver made of a playlist it misread ("[playlist]") is refused by the
    // server only once the queue is gone: nothing but a stream address goes, and ""
    // would be the whole music directory.
    if (!Stream::isPlayableAddress(url)) {
        alert(notAStreamMessage);
        return;
    }
    socket().send([url](mpdc::Connection &c) {
        c.clear();
        c.add(url);
        c.play();
    });
}

void MPDCommand::playPlaylist(const QList<Song> &songs, quint32 position) {
    if (!socket().isConnected()) return;
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
    socket().send([entries, position](mpdc::Connection &c) {
        c.clear();
        for (const QString &uri : entries)
            c.add(uri);
        if (position == noPosition)
            c.play();
        else
            c.playPos(position);
    });
}

} // namespace kelvane
