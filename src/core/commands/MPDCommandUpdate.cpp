#include "core/commands/MPDCommand.h"

#include "core/library/MPDAlbum.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QDebug>

namespace kelvane {

void MPDCommand::updateDB(const QString &path) {
    if (m_updating) return; // one update at a time; the running one covers the whole directory
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    mpdc::Connection *connection = socket.getConnection();
    MPDCache &cache = MPDCache::sMPDCache();

    std::optional<QList<Album>> previousAlbums = cache.getCurrentAlbumList();
    std::shared_ptr<const SongIndex> previousSongs = cache.getCurrentSongIndex();
    cache.setCurrentAlbumList(std::nullopt);
    cache.albumUpdateTrigger(
        QCoreApplication::translate("kelvane::MPDCommand", "Mise à jour de la base MPD..."));

    if (connection->update(path) == 0) {
        // Refused (reported and cleared by the connection) or the connection broke (the
        // poll reports it). Either way the update is over now: the album list must not
        // stay empty, nor the update message in the title line.
        cache.setCurrentAlbumList(std::move(previousAlbums), std::move(previousSongs));
        cache.dbUpdated();
        return;
    }
    m_albumsBeforeUpdate = std::move(previousAlbums);
    m_songsBeforeUpdate = std::move(previousSongs);
    m_updating = true;
    ++m_updateTicket;
    m_updatePrevious = -1;
    asyncUpdate();
}

void MPDCommand::resumeUpdate() {
    // The look in flight (if any) went to the old connection: its answer is dropped, and
    // the new connection's looks must agree twice again. A connect under way (on a
    // worker) is waited for by the looks themselves.
    ++m_updateTicket;
    m_updatePrevious = -1;
    m_updateTimer.stop();
    asyncUpdate();
}

void MPDCommand::asyncUpdate() {
    // One look at the server on the bulk thread: its update job and the album list read
    // after it. Between two looks that thread is free for other reads, and nothing
    // waits on a shared pool (a pool thread sleeping here starved radio pages).
    struct Look {
        bool ok = false;
        quint32 updateId = 0;
        std::optional<QList<Album>> albums;
        std::shared_ptr<const SongIndex> songs;
    };
    const quint64 ticket = m_updateTicket;
    MPDBulk::sMPDBulk().run(
        &m_context,
        [] {
            Look look;
            if (std::shared_ptr<mpdc::Connection> connection = MPDBulk::sMPDBulk().connection()) {
                if (const auto status = connection->status()) {
                    look.ok = true;
                    look.updateId = status->updateId;
                    // The songs with the albums: the look that settles is the
                    // catalogue the window keeps, its song search included.
                    auto songs = std::make_shared<SongIndex>();
                    look.albums = MPDAlbum::sMPDAlbum().getAlbumsList({}, songs.get());
                    if (look.albums) look.songs = std::move(songs);
                }
            }
            return look;
        },
        [this, ticket](Look look) {
            // A look made before a connect of the user's: the one made after it carries
            // the wait on.
            if (!m_updating || ticket != m_updateTicket) return;
            if (!look.ok || !look.albums) {
                // The user's connect is still being made: look again once it may be up.
                if (MPDSocket::sMPDSocket().link() == MPDSocket::Link::Connecting) {
                    m_updateTimer.start(m_updateIntervalMs.load());
                    return;
                }
                // The connection broke: end the update; the poll reports the loss.
                finishUpdate(std::nullopt, nullptr);
                return;
            }
            const qsizetype count = look.albums->size();
            // Settled only when the server has finished the job and the catalogue read
            // after that is what it was a moment before: an album count alone can hold
            // still for a second while the server is still scanning.
            if (look.updateId == 0 && count == m_updatePrevious) {
                finishUpdate(std::move(look.albums), std::move(look.songs));
                return;
            }
            m_updatePrevious = count;
            m_updateTimer.start(m_updateIntervalMs.load());
        });
}

void MPDCommand::finishUpdate(std::optional<QList<Album>> albums,
                              std::shared_ptr<const SongIndex> songs) {
    // GUI thread. The list the last look settled on is the fresh one: reading it again
    // here would hold the window for the whole catalogue.
    MPDCache &cache = MPDCache::sMPDCache();
    MPDSocket &socket = MPDSocket::sMPDSocket();
    cache.setCurrentAlbumList(std::move(albums), std::move(songs));
    m_albumsBeforeUpdate.reset();
    m_songsBeforeUpdate.reset();
    if (socket.isConnected()) {
        qInfo("disconnect");
        socket.disconnect();
        qInfo("connect");
        socket.connect();
    }
    m_updating = false;
    cache.dbUpdated();
}

} // namespace kelvane
