#pragma once

// MPDCommand — the user's wishes as player commands on the server.
//   MPDCommand::sMPDCommand()   creating it creates MPDSocket (settings, first connect)
//   connect(), disconnect()
//   play()                      play/pause toggle (extracted): stopped -> play and a fresh
//                               track/state report; playing/paused -> toggle; else play
//   stop(), previous()          previous only while playing or paused
//   next()                      only while playing or paused and not on the last entry
//   setVolume(v), seekPosition(seconds)  seek only while playing
//   playAlbum(name, path, pos)  the songs of directory `path` whose Album tag is `name`
//   playAlbum(uris, pos)        replaces the queue with `uris` and plays; pos
//                               4294967295 (noPosition) = plain play from the start
//   playQueuePosition(pos), playStream(url), playPlaylist(songs, pos)
//   updateDB()                  database update of "/" with polling stopped; asyncUpdate()
//                               waits on QThreadPool::globalInstance() until the server
//                               reports no update job and the album count is stable, then
//                               (on the GUI thread, the worker waiting) stores the album
//                               list, reconnects and tells the views (dbUpdated).
//                               A refused update restarts polling, restores the album
//                               list and ends at once (the refusal is reported).
//   setRandom(on), setRepeat(on), setConsume(on)    playback modes
//   setSingle(mode)             0 off, 1 on, 2 oneshot
//   setCrossfade(seconds), setReplayGain(mode)       mode "off", "track", "album" or "auto"
//   setOutputEnabled(id, on)    enables or disables one audio output
//   A mode change comes back as a new snapshot at once (optionsChanged of PlayerEvents).
//   isUpdating()                true from updateDB() until the update has ended. A
//                               connect meanwhile is made at once and the wait goes on
//                               over the new connection; a disconnect ends the wait
//                               (the server finishes its update on its own) and the
//                               views are told, with the album list of before
// Thread: GUI (asyncUpdate's wait runs on a pool thread). Every command does nothing
// when not connected.
#include "core/model/Album.h"
#include "core/model/Song.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

namespace kelvane {

class SongIndex;

class MPDCommand {
  public:
    static MPDCommand &sMPDCommand();
    MPDCommand(const MPDCommand &) = delete;
    MPDCommand &operator=(const MPDCommand &) = delete;

    static constexpr quint32 noPosition = 4294967295u;

    void connect();
    // The same attempt made on a worker thread (the window's menu).
    void connectSoon();
    void disconnect();
    void play();
    void extracted();
    void stop();
    void next();
    void previous();
    void setVolume(quint32 volume);
    void seekPosition(float seconds);
    void playAlbum(const QString &albumName, const QString &path, quint32 position);
    void playAlbum(const QStringList &uris, quint32 position);
    void playQueuePosition(quint32 position);
    void playStream(const QString &url);
    void playPlaylist(const QList<Song> &songs, quint32 position);

    void setRandom(bool on);
    void setRepeat(bool on);
    void setSingle(qint32 mode);
    void setConsume(bool on);
    void setCrossfade(quint32 seconds);
    // False (nothing sent) for a name that is not a mode.
    bool setReplayGain(const QString &mode);
    void setOutputEnabled(quint32 id, bool enabled);
    // "/" in use; another path updates only that part of the music directory.
    void updateDB(const QString &path = QStringLiteral("/"));
    void asyncUpdate();
    bool isUpdating() const { return m_updating.load(); }

    // How long the update's wait sleeps between two looks at the server (1 s in use;
    // tests shorten it).
    void setUpdatePollInterval(int milliseconds) { m_updateIntervalMs = milliseconds; }

  private:
    MPDCommand();
    void finishUpdate(std::optional<QList<Album>> albums, std::shared_ptr<const SongIndex> songs);
    // After a connect of the user's during an update: the looks start again over the
    // new connection.
    void resumeUpdate();

    std::atomic<bool> m_updating{false};
    std::atomic<int> m_updateIntervalMs{1000};
    qsizetype m_updatePrevious = -1;
    // A look's answer counts only for the connection it was made on.
    quint64 m_updateTicket = 0;
    // Shown again when the update's wait ends before the update (a disconnect).
    std::optional<QList<Album>> m_albumsBeforeUpdate;
    std::shared_ptr<const SongIndex> m_songsBeforeUpdate;
    // Receives the update's looks on the GUI thread; its timer spaces them.
    QObject m_context;
    QTimer m_updateTimer;
};

} // namespace kelvane
