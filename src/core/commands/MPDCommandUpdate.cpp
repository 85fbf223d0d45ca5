#include "core/commands/MPDCommand.h"

#include "core/library/MPDAlbum.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QDebug>

namespace kelvane {

void MPDCommand::updateDB(const QString &path) {
    if (m_updating) return; // one update at a time; the running one covers the whole directory
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    MPDCache &cache = MPDCache::sMPDCache();

    m_albumsBeforeUpdate = cache.getCurrentAlbumList();
    m_songsBeforeUpdate = cache.getCurrentSongIndex();
    cache.setCurrentAlbumList(std::nullopt);
    cache.albumUpdateTrigger(
        QCoreApplication::translate("kelvane::MPDCommand", "Mise à jour de la base MPD..."));
    m_updating = true;
    m_updateUnsent = path;
    sendUpdate(false);
}

void MPDCommand::sendUpdate(bool again) {
    // The request travels through the command thread; the looks begin once the server
    // has taken it. again: a connect came before its answer, so whether the old
    // connection delivered it is unknown; a server already updating has it.
    const quint64 ticket = ++m_updateTicket;
    const QString path = *m_updateUnsent;
    const bool sent = MPDSocket::sMPDSocket().send(
        [path, again](mpdc::Connection &c) -> quint32 {
            if (again)
                if (const std::optional<mpdc::StatusInfo> status = c.status();
                    status && status->updateId != 0)
                    return status->updateId;
            return c.update(path);
        },
        [this, ticket](quint32 job) {
            if (!m_updating || ticket != m_updateTicket) return;
            m_updateUnsent.reset();
            if (job == 0) {
                // Refused (reported just before this) or the connection broke (the link
                // reports it). Either way the update is over now: the album list must not
                // stay empty, nor the update message in the title line.
                m_updating = false;
                MPDCache::sMPDCache().setCurrentAlbumList(std::move(m_albumsBeforeUpdate),
                                                          std::move(m_songsBeforeUpdate));
                MPDCache::sMPDCache().dbUpdated();
                return;
            }
            m_updatePrevious = -1;
            asyncUpdate();
        },
        MPDSocket::Refresh::None);
    if (sent) return;
    // The user's connect is still being made: send it once the link may be up.
    if (MPDSocket::sMPDSocket().link() == MPDSocket::Link::Connecting) {
        m_updateTimer.start(m_updateIntervalMs.load());
        return;
    }
    m_updateUnsent.reset();
    finishUpdate(std::move(m_albumsBeforeUpdate), std::move(m_songsBeforeUpdate));
}

void MPDCommand::resumeUpdate() {
    // The look in flight (if any) went to the old connection: its answer is dropped, and
    // the new connection's looks must agree twice again. A connect under way (on a
    // worker) is waited for by the looks themselves. A request the server may not have
    // had goes again over the new connection.
    m_updatePrevious = -1;
    m_updateTimer.stop();
    if (m_updateUnsent) {
        sendUpdate(true);
        return;
    }
    ++m_updateTicket;
    asyncUpdate();
}

void MPDCommand::nextUpdateStep() {
    if (m_updateUnsent)
        sendUpdate(true);
    else
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
    MPDCache::sMPDCache().setCurrentAlbumList(std::move(albums), std::move(songs));
    m_albumsBeforeUpdate.reset();
    m_songsBeforeUpdate.reset();
    m_updateUnsent.reset();
    ++m_updateTicket; // a look still on its way has nothing left to wait for
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) {
        endUpdate();
        return;
    }
    // The update ends with a fresh connection, opened off this thread; the views hear
    // of the update once it is up (or has failed).
    qInfo("disconnect");
    socket.disconnect();
    qInfo("connect");
    socket.connectSoon();
    auto ended = std::make_shared<QMetaObject::Connection>();
    *ended = QObject::connect(&socket, &MPDSocket::linkChanged, &m_context,
                              [this, ended](MPDSocket::Link link) {
                                  if (link == MPDSocket::Link::Connecting) return;
                                  QObject::disconnect(*ended);
                                  endUpdate();
                              });
}

void MPDCommand::endUpdate() {
    m_updating = false;
    MPDCache::sMPDCache().dbUpdated();
}

} // namespace kelvane
