#pragma once

// MPDQueue — the server's play queue as Song records.
//   MPDQueue::sMPDQueue()
//   getQueue() -> optional<QList<Song>>  the whole queue in one exchange; nullopt when
//                                        not connected or the server cannot answer
//   getSongs(n) -> QList<Song>           the songs at positions 0..n-1 (fewer if the
//                                        queue is shorter)
//   addToQueue(songs)                    appends each song's fullPath, in order
//   playSongsNext(songs)                 inserts them after the current song, in order
//   removeInQueue(positions)             deletes the songs at these positions (as they
//                                        are before the call; order and repeats do not
//                                        matter, negative positions are ignored)
//   saveQueueAtPlaylist(name)            stores the queue as a stored playlist
//   readQueue() -> optional<QueueContent>          the whole queue with its ids and version
//   readChanges(current) -> optional<QueueUpdate>  what changed since current.version,
//                                        read as positions and ids ("plchangesposid"),
//                                        the records of new entries only; the whole
//                                        queue again when the changes cannot be read
//   queueSong(songInfo) -> Song          the queue's reading of one server song
// Reads go over the second connection (any thread); writes over the first (GUI).
// Writes do nothing when not connected.
#include "core/library/QueueDiff.h"
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvane {

namespace mpdc {
struct SongInfo;
}

// The queue as a table shows it: its songs, their queue ids, and the version they are of.
struct QueueContent {
    QList<Song> songs;
    QList<quint32> ids;
    quint32 version = 0;
};

// A new content and how to get there from the one held.
struct QueueUpdate {
    QueueContent content;
    QueueDiff diff;
    bool whole = false; // read whole: the table resets rather than edits
};

class MPDQueue {
  public:
    static MPDQueue &sMPDQueue();
    MPDQueue(const MPDQueue &) = delete;
    MPDQueue &operator=(const MPDQueue &) = delete;

    std::optional<QList<Song>> getQueue();
    std::optional<QueueContent> readQueue();
    std::optional<QueueUpdate> readChanges(const QueueContent &current);
    QList<Song> getSongs(qint32 count);
    void addToQueue(const QList<Song> &songs);
    void removeInQueue(const QList<qint32> &positions);
    void saveQueueAtPlaylist(const QString &name);

    // Editing (first connection; the playing song keeps playing through moves).
    void clearQueue();
    void shuffleQueue();
    // Carries the entries at rows (as they are now) to before row drop, in their order.
    void moveRows(const QList<qint32> &rows, qint32 drop);
    // Carries them right after the playing song (the playing one itself stays); with no
    // current song, to the top.
    void playNext(const QList<qint32> &rows);
    // Puts the songs there, in order ("Lire ensuite" from outside the queue).
    void playSongsNext(const QList<Song> &songs);
    // Inserts the songs at a queue position, in order (past the end: appended).
    void insertSongs(const QList<Song> &songs, qint32 position);

    static Song queueSong(const mpdc::SongInfo &song);

  private:
    MPDQueue() = default;
};

} // namespace kelvane
