#include "core/commands/MPDCommand.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
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
    // The update reconnects by itself when it ends.
    if (m_updating) return;
    socket().connect();
}

void MPDCommand::connectSoon() {
    if (m_updating) return;
    socket().connectSoon();
}

void MPDCommand::disconnect() {
    if (m_updating) return;
    socket().disconnect();
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

namespace {
// Stop, clear, add and play: one piece on the command thread, nothing in between.
void replaceQueueAndPlay(mpdc::Connection &c, const QStringList &uris, quint32 position) {
    c.stop();
    c.clear();
    for (const QString &uri : uris)
        if (!uri.isEmpty()) // to the server "" is the whole music directory
            c.add(uri);
    if (position == MPDCommand::noPosition)
        c.play();
    else
        c.playPos(position);
}
} // namespace

void MPDCommand::playAlbum(const QString &albumName, const QString &path, quint32 position) {
    socket().send([albumName, path, position](mpdc::Connection &c) {
        const auto listing = c.listMeta(path);
        QStringList uris;
        if (listing) {
            for (const mpdc::Entity &entity : *listing) {
                if (entity.type != mpdc::Entity::Type::Song) continue;
                // Exact equality; an album without an Album tag is the songs without one
                // (QString alone would take a missing tag for an empty one).
                const QString &album = entity.song.album;
                if (album.isNull() == albumName.isNull() && album == albumName)
                    uris << entity.song.uri;
            }
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
    if (url.isEmpty()) return; // to the server "" is the whole music directory
    socket().send([url](mpdc::Connection &c) {
        c.clear();
        c.add(url);
        c.play();
    });
}

void MPDCommand::playPlaylist(const QList<Song> &songs, quint32 position) {
    // Clearing the queue for a position the new one will not have would lose the
    // user's queue for nothing.
    if (position >= quint32(songs.size())) return;
    socket().send([songs, position](mpdc::Connection &c) {
        c.clear();
        for (const Song &song : songs)
            if (!song.fullPath().isEmpty()) c.add(song.fullPath());
        c.playPos(position);
    });
}

} // namespace kelvane
