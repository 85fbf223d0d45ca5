#pragma once

// The user's wishes as player commands. Each is handed to the command thread in the
// order it was made and returns at once, so a slow or frozen server delays the command,
// never the window; what it changed comes back with the status read right after it.
// Every command does nothing when not connected. The database update is followed by
// looks on the bulk thread a second apart, until the server has finished and the
// catalogue holds still; the link is then opened afresh. GUI thread.
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
    void sendUpdate(bool again);
    void nextUpdateStep();
    void endUpdate();

    std::atomic<bool> m_updating{false};
    std::atomic<int> m_updateIntervalMs{1000};
    qsizetype m_updatePrevious = -1;
    // A look's answer counts only for the connection it was made on.
    quint64 m_updateTicket = 0;
    // The path of an update request the server has not answered yet.
    std::optional<QString> m_updateUnsent;
    // Shown again when the update's wait ends before the update (a disconnect).
    std::optional<QList<Album>> m_albumsBeforeUpdate;
    std::shared_ptr<const SongIndex> m_songsBeforeUpdate;
    // Receives the update's looks on the GUI thread; its timer spaces them.
    QObject m_context;
    QTimer m_updateTimer;
};

} // namespace kelvane
