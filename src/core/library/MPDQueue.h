#pragma once

// The server's play queue as the views hold it. The table follows the queue by its
// version: a change reads only the positions and ids that moved ("plchangesposid") and
// the records of new entries, so a long queue is not read whole at every change. Reads
// go over the bulk connection and block (any thread); edits are sent through the command
// thread, each as one job so nothing else touches the queue between its steps, and
// return at once (GUI thread); they do nothing when not connected.
#include "core/library/QueueDiff.h"
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvane {

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

    // The whole queue in one exchange; none when not connected or unanswered.
    std::optional<QList<Song>> getQueue();
    std::optional<QueueContent> readQueue();
    // What changed since current.version; the whole queue again when the changes cannot
    // be read.
    std::optional<QueueUpdate> readChanges(const QueueContent &current);
    // The first count songs (fewer when the queue is shorter).
    QList<Song> getSongs(qint32 count);
    void addToQueue(const QList<Song> &songs);
    // The songs at these positions as they are before the call; order and repeats do not
    // matter, negative positions are ignored.
    void removeInQueue(const QList<qint32> &positions);
    void saveQueueAtPlaylist(const QString &name);

    // Editing (the playing song keeps playing through moves).
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

  private:
    MPDQueue() = default;
};

} // namespace kelvane
