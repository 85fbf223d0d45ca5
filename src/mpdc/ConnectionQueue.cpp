// The queue read as a whole with its version, and what changed since a version: the
// status and the listing in one command list, so the version names exactly the listing.
#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

namespace kelvane::mpdc {

namespace {
// The status that opens both answers; null (the reading broken off) when the numbers
// are impossible, since the rest of the system indexes the queue with them.
std::optional<StatusInfo> leadingStatus(mpd_connection *c, ReadBudget &budget) {
    RecordReader reader(c, budget);
    StatusPtr status = reader.status();
    if (!status) return std::nullopt;
    StatusInfo info = statusFrom(*status);
    if (!isPlausible(info)) {
        budget.breakOff(implausibleStatusMessage, ErrorKind::Other);
        return std::nullopt;
    }
    if (!mpd_response_next(c)) return std::nullopt;
    return info;
}
} // namespace

std::optional<QueueSnapshot> Connection::queueSnapshot() {
    auto guard = lock();
    mpd_connection *c = handle();
    const bool sent = c && mpd_command_list_begin(c, true) && mpd_send_status(c) &&
                      mpd_send_list_queue_meta(c) && mpd_command_list_end(c);
    auto read = answer(sent, [](mpd_connection *conn, ReadBudget &budget) {
        std::optional<QueueSnapshot> snapshot;
        const std::optional<StatusInfo> status = leadingStatus(conn, budget);
        if (!status) return snapshot;
        snapshot.emplace();
        snapshot->status = *status;
        RecordReader reader(conn, budget);
        while (SongPtr song = reader.song()) {
            snapshot->songs.push_back(songFrom(*song));
            if (!budget.take(recordBytes(snapshot->songs.back()))) break;
        }
        return snapshot;
    });
    if (!read || !*read) return std::nullopt;
    return std::move(**read);
}

std::optional<QueueChanges> Connection::queueChangesSince(quint32 version) {
    auto guard = lock();
    mpd_connection *c = handle();
    const bool sent = c && mpd_command_list_begin(c, true) && mpd_send_status(c) &&
                      mpd_send_queue_changes_brief(c, version) && mpd_command_list_end(c);
    auto read = answer(sent, [](mpd_connection *conn, ReadBudget &budget) {
        std::optional<QueueChanges> changes;
        const std::optional<StatusInfo> status = leadingStatus(conn, budget);
        if (!status) return changes;
        changes.emplace();
        changes->status = *status;
        RecordReader reader(conn, budget);
        unsigned position = 0, id = 0;
        while (reader.queueChange(position, id)) {
            changes->entries.push_back({position, id});
            if (!budget.take(qsizetype(sizeof(QueueChanges::Entry)))) break;
        }
        return changes;
    });
    if (!read || !*read) return std::nullopt;
    return std::move(**read);
}

std::optional<std::vector<SongInfo>> Connection::queueSongsById(const std::vector<quint32> &ids) {
    auto guard = lock();
    mpd_connection *c = handle();
    if (ids.empty()) return std::vector<SongInfo>();
    bool sent = c && mpd_command_list_begin(c, false);
    for (size_t i = 0; sent && i < ids.size(); ++i)
        sent = mpd_send_get_queue_song_id(c, ids[i]);
    sent = sent && mpd_command_list_end(c);
    return answer(sent, [](mpd_connection *conn, ReadBudget &budget) {
        RecordReader reader(conn, budget);
        std::vector<SongInfo> songs;
        while (SongPtr song = reader.song()) {
            songs.push_back(songFrom(*song));
            if (!budget.take(recordBytes(songs.back()))) break;
        }
        return songs;
    });
}

} // namespace kelvane::mpdc
