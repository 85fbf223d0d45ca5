#include "core/commands/MPDCommand.h"

#include "core/library/MPDAlbum.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <QThreadPool>

namespace kelvane {

void MPDCommand::updateDB(const QString &path) {
    if (m_updating) return; // one update at a time; the running one covers the whole directory
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    mpdc::Connection *connection = socket.getConnection();
    MPDCache &cache = MPDCache::sMPDCache();

    socket.stopTimer();
    const std::optional<QList<Album>> previousAlbums = cache.getCurrentAlbumList();
    cache.setCurrentAlbumList(std::nullopt);
    cache.albumUpdateTrigger(QStringLiteral("Mise à jour de la base MPD..."));

    if (connection->update(path) == 0) {
        // Refused (reported and cleared by the connection) or the connection broke.
        // Either way the update is over now: polling must not stay stopped, nor the
        // album list empty, nor the update message in the title line.
        if (connection->hasError()) {
            MPDServerError::sMPDServerError().send(*connection);
            socket.disconnect();
        } else {
            socket.connect();
        }
        cache.setCurrentAlbumList(previousAlbums);
        cache.dbUpdated();
        return;
    }
    m_updating = true;
    asyncUpdate();
}

void MPDCommand::asyncUpdate() {
    QThreadPool::globalInstance()->start([this] {
        // Pool thread. Polling is stopped and connect/disconnect wait for the end, so the
        // connection stays the same object throughout; each exchange is serialised by the
        // connection's lock against the GUI thread's commands.
        MPDSocket &socket = MPDSocket::sMPDSocket();
        std::optional<QList<Album>> albums;
        qsizetype previous = -1;
        while (true) {
            mpdc::Connection *connection = socket.getConnection();
            const std::optional<mpdc::StatusInfo> status =
                connection ? connection->status() : std::nullopt;
            albums = MPDAlbum::sMPDAlbum().getAlbumsList();
            if (!status) break; // the connection broke: the reconnection below reports it
            const qsizetype count = albums ? albums->size() : 0;
            // Settled only when the server has finished the job and the catalogue read
            // after that is what it was a moment before: an album count alone can hold
            // still for a second while the server is still scanning.
            if (status->updateId == 0 && count == previous) break;
            previous = count;
            QThread::msleep(uint(m_updateIntervalMs.load()));
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this, albums] { finishUpdate(albums); },
            Qt::BlockingQueuedConnection);
    });
}

void MPDCommand::finishUpdate(std::optional<QList<Album>> albums) {
    // GUI thread, the worker waiting. The list the worker settled on is the fresh one:
    // reading it again here would hold the window for the whole catalogue.
    MPDCache &cache = MPDCache::sMPDCache();
    MPDSocket &socket = MPDSocket::sMPDSocket();
    cache.setCurrentAlbumList(std::move(albums));
    qInfo("disconnect");
    socket.disconnect();
    qInfo("connect");
    socket.connect();
    m_updating = false;
    cache.dbUpdated();
}

} // namespace kelvane
