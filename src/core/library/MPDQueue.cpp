#include "core/library/MPDQueue.h"

#include "core/library/QueueMoves.h"
#include "core/library/ServerSong.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <QHash>
#include <algorithm>

namespace kelvane {

MPDQueue &MPDQueue::sMPDQueue() {
    static MPDQueue instance;
    return instance;
}

std::optional<QList<Song>> MPDQueue::getQueue() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    // The whole queue in one "playlistinfo": a request per entry made a 10,000-entry
    // queue cost 10,000 round trips.
    const auto songs = connection->queue();
    if (!bulk.answered(songs, *connection)) return std::nullopt;
    QList<Song> queue;
    queue.reserve(qsizetype(songs->size()));
    for (const mpdc::SongInfo &info : *songs)
        queue.append(songFromServer(info, SongReading::Queue));
    return queue;
}

std::optional<QueueContent> MPDQueue::readQueue() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    const auto snapshot = connection->queueSnapshot();
    if (!bulk.answered(snapshot, *connection)) return std::nullopt;
    QueueContent content;
    content.version = snapshot->status.queueVersion;
    content.songs.reserve(qsizetype(snapshot->songs.size()));
    content.ids.reserve(qsizetype(snapshot->songs.size()));
    for (const mpdc::SongInfo &info : snapshot->songs) {
        content.songs.append(songFromServer(info, SongReading::Queue));
        content.ids.append(info.id);
    }
    return content;
}

std::optional<QueueUpdate> MPDQueue::readChanges(const QueueContent &current) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    const auto whole = [&]() -> std::optional<QueueUpdate> {
        auto content = readQueue();
        if (!content) return std::nullopt;
        QueueUpdate update;
        update.diff = QueueDiff::between(current.ids, content->ids);
        update.content = std::move(*content);
        update.whole = true;
        return update;
    };
    if (current.version == 0) return whole(); // nothing read yet
    // The changes and the records they need, read without another thread's edits in
    // between; a server that cannot tell (a version it forgot, an entry gone meanwhile)
    // gets the whole queue read instead.
    auto guard = connection->lock();
    const auto changes = [&] {
        mpdc::Connection::QuietRefusals quiet(*connection);
        return connection->queueChangesSince(current.version);
    }();
    if (!changes) {
        if (connection->hasError()) {
            bulk.reportFailure(*connection);
            return std::nullopt;
        }
        return whole();
    }
    const qsizetype length = qsizetype(changes->status.queueLength);
    // Rows are made only of what the server sent: the held rows the new length keeps,
    // and a row per reported entry. Every row past the kept ones is new, so the server
    // must have reported it; a row left unfilled (or a position past the length) is a
    // server that cannot tell, or one that lies, and the queue is read whole instead:
    // one "cpos" line announcing row three million once made the table create every
    // row in between.
    const qsizetype kept = std::min(length, current.ids.size());
    if (length - kept > qsizetype(changes->entries.size())) return whole();
    QueueUpdate update;
    update.content.version = changes->status.queueVersion;
    update.content.songs = current.songs.mid(0, std::min(length, current.songs.size()));
    update.content.ids = current.ids.mid(0, kept);
    update.content.songs.resize(length);
    update.content.ids.resize(length);
    std::vector<bool> filled(size_t(length - kept), false);
    QHash<quint32, qsizetype> known; // id -> row in the current content
    for (qsizetype row = 0; row < current.ids.size(); ++row)
        known.insert(current.ids[row], row);
    std::vector<quint32> wanted;
    QList<qsizetype> touched;
    for (const mpdc::QueueChanges::Entry &entry : changes->entries) {
        const qsizetype row = qsizetype(entry.position);
        if (row >= length) return whole(); // not a queue of that length: read it whole
        if (row >= kept) filled[size_t(row - kept)] = true;
        update.content.ids[row] = entry.id;
        const qsizetype was = known.value(entry.id, -1);
        // A known entry that moved keeps its record; a new one, or one reported where it
        // was (its song changed), is read again.
        if (was >= 0 && was != row) {
            update.content.songs[row] = current.songs[was];
        } else {
            wanted.push_back(entry.id);
            touched.append(row);
        }
    }
    if (std::find(filled.begin(), filled.end(), false) != filled.end()) return whole();
    if (!wanted.empty()) {
        mpdc::Connection::QuietRefusals quiet(*connection);
        const auto songs = connection->queueSongsById(wanted);
        if (!songs || songs->size() != wanted.size()) {
            if (connection->hasError()) {
                bulk.reportFailure(*connection);
                return std::nullopt;
            }
            return whole();
        }
        for (size_t i = 0; i < songs->size(); ++i)
            update.content.songs[touched[qsizetype(i)]] =
                songFromServer((*songs)[i], SongReading::Queue);
    }
    update.diff = QueueDiff::between(current.ids, update.content.ids, touched);
    return update;
}

QList<Song> MPDQueue::getSongs(qint32 count) {
    if (count <= 0) return {};
    QList<Song> songs = getQueue().value_or(QList<Song>());
    if (songs.size() > count) songs.resize(count);
    return songs;
}

void MPDQueue::addToQueue(const QList<Song> &songs) {
    // One job: the songs land together, in order.
    MPDSocket::sMPDSocket().send(
        [songs](mpdc::Connection &c) {
            for (const Song &song : songs)
                // To the server an empty uri is the whole music directory.
                if (!song.fullPath().isEmpty()) c.add(song.fullPath());
        },
        MPDSocket::Refresh::None);
}

void MPDQueue::removeInQueue(const QList<qint32> &positions) {
    // Every deletion moves the later songs down by one, so the k-th deletion is at
    // position - k. That only names the intended songs for ascending, distinct
    // positions: sorted here rather than trusted, since a wrong order deletes songs
    // the user did not pick.
    QList<qint32> ascending;
    for (qint32 p : positions)
        if (p >= 0) ascending.append(p);
    std::sort(ascending.begin(), ascending.end());
    ascending.erase(std::unique(ascending.begin(), ascending.end()), ascending.end());
    // One job: the positions are only right if nothing else edits the queue in between.
    MPDSocket::sMPDSocket().send(
        [ascending](mpdc::Connection &c) {
            for (qsizetype k = 0; k < ascending.size(); ++k)
                c.deletePos(quint32(ascending[k] - k));
        },
        MPDSocket::Refresh::None);
}

void MPDQueue::clearQueue() {
    MPDSocket::sMPDSocket().send([](mpdc::Connection &c) { c.clear(); });
}

void MPDQueue::shuffleQueue() {
    MPDSocket::sMPDSocket().send([](mpdc::Connection &c) { c.shuffle(); });
}

namespace {
// Queue edits are planned from the queue as it is, read in the same job as the edits, so
// nothing else changes it in between. The status is read again afterwards, for the views.
template <class Edit> void editQueue(Edit edit) {
    MPDSocket::sMPDSocket().send([edit](mpdc::Connection &c) {
        if (const std::optional<mpdc::StatusInfo> status = c.status()) edit(c, *status);
    });
}

void moveAll(mpdc::Connection &connection, const mpdc::StatusInfo &status,
             const QList<qint32> &rows, qint32 drop) {
    for (const QueueMove &move : queuemoves::plan(qint32(status.queueLength), rows, drop))
        if (!connection.moveRange(quint32(move.start), quint32(move.end), quint32(move.to))) break;
}

// Where "next" is: right after the current song, or the top of the queue when there is
// none.
qint32 nextPosition(const mpdc::StatusInfo &status) {
    return status.songPos < 0 ? 0 : status.songPos + 1;
}

void addAll(mpdc::Connection &connection, const mpdc::StatusInfo &status, const QList<Song> &songs,
            qint32 position) {
    qint32 at = std::clamp<qint32>(position, 0, qint32(status.queueLength));
    for (const Song &song : songs) {
        // To the server an empty uri is the whole music directory.
        if (song.fullPath().isEmpty()) continue;
        if (!connection.addAt(song.fullPath(), quint32(at))) break;
        ++at;
    }
}
} // namespace

void MPDQueue::moveRows(const QList<qint32> &rows, qint32 drop) {
    editQueue([rows, drop](mpdc::Connection &connection, const mpdc::StatusInfo &status) {
        moveAll(connection, status, rows, drop);
    });
}

void MPDQueue::playNext(const QList<qint32> &rows) {
    editQueue([rows](mpdc::Connection &connection, const mpdc::StatusInfo &status) {
        QList<qint32> others;
        for (qint32 row : rows)
            if (row != status.songPos) others.append(row);
        moveAll(connection, status, others, nextPosition(status));
    });
}

void MPDQueue::playSongsNext(const QList<Song> &songs) {
    editQueue([songs](mpdc::Connection &connection, const mpdc::StatusInfo &status) {
        addAll(connection, status, songs, nextPosition(status));
    });
}

void MPDQueue::insertSongs(const QList<Song> &songs, qint32 position) {
    editQueue([songs, position](mpdc::Connection &connection, const mpdc::StatusInfo &status) {
        addAll(connection, status, songs, position);
    });
}

void MPDQueue::saveQueueAtPlaylist(const QString &name) {
    MPDSocket::sMPDSocket().send([name](mpdc::Connection &c) { c.save(name); },
                                 MPDSocket::Refresh::None);
}

} // namespace kelvane
