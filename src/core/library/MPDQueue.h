#pragma once

// MPDQueue — the server's play queue as Song records.
//   MPDQueue::sMPDQueue()
//   getQueue() -> optional<QList<Song>>  the whole queue in one exchange; nullopt when
//                                        not connected or the server cannot answer
//   getSongs(n) -> QList<Song>           the songs at positions 0..n-1 (fewer if the
//                                        queue is shorter)
//   addToQueue(songs)                    appends each song's fullPath, in order
//   removeInQueue(positions)             deletes the songs at these positions (as they
//                                        are before the call; order and repeats do not
//                                        matter, negative positions are ignored)
//   saveQueueAtPlaylist(name)            stores the queue as a stored playlist
//   queueSong(songInfo) -> Song          the queue's reading of one server song
// Thread: GUI. Writes do nothing when not connected.
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvane {

namespace mpdc {
struct SongInfo;
}

class MPDQueue {
  public:
    static MPDQueue &sMPDQueue();
    MPDQueue(const MPDQueue &) = delete;
    MPDQueue &operator=(const MPDQueue &) = delete;

    std::optional<QList<Song>> getQueue();
    QList<Song> getSongs(qint32 count);
    void addToQueue(const QList<Song> &songs);
    void removeInQueue(const QList<qint32> &positions);
    void saveQueueAtPlaylist(const QString &name);

    static Song queueSong(const mpdc::SongInfo &song);

  private:
    MPDQueue() = default;
};

} // namespace kelvane
