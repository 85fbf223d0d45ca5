// The queue read as a whole with its version, and what changed since a version: the
// status and the listing in one command list, so the version names exactly the listing.
#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

namespace kelvane::mpdc {

std::optional<QueueSnapshot> Connection::queueSnapshot() {
    auto guard = lock();
    mpd_connection *c = handle();
    const bool sent = c && mpd_command_list_begin(c, true) && mpd_send_status(c) &&
                      mpd_send_list_queue_meta(c) && mpd_command_list_end(c);
    QueueSnapshot snapshot;
    auto read = answer(sent, [&snapshot](mpd_connection *conn, ReadBudget &budget) {
        StatusPtr status{mpd_recv_status(conn)};
        if (!status || !mpd_response_next(conn)) return false;
        snapshot.status = statusFrom(*status);
        while (SongPtr song{mpd_recv_song(conn)}) {
            snapshot.songs.push_back(songFrom(*song));
            if (!budget.take(recordBytes(snapshot.songs.back()))) break;
        }
        return true;
    });
    if (!read || !*read) return std::nullopt;
    return snapshot;
}

std::optional<QueueChanges> Connection::queueChangesSince(quint32 version) {
    auto guard = lock();
    mpd_connection *c = handle();
    const bool sent = c && mpd_command_list_begin(c, true) && mpd_send_status(c) &&
                      mpd_send_queue_changes_brief(c, version) && mpd_command_list_end(c);
    QueueChanges changes;
    auto read = answer(sent, [&changes](mpd_connection *conn, ReadBudget &budget) {
        StatusPtr status{mpd_recv_status(conn)};
        if (!status || !mpd_response_next(conn)) return false;
        changes.status = statusFrom(*status);
        unsigned position = 0, id = 0;
        while (mpd_recv_queue_change_brief(conn, &position, &id)) {
            changes.entries.push_back({position, id});
            if (!budget.take(16)) break;
        }
        return true;
    });
    if (!read || !*read) return std::nullopt;
    return changes;
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
        std::vector<SongInfo> songs;
        while (SongPtr song{mpd_recv_song(conn)}) {
            songs.push_back(songFrom(*song));
            if (!budget.take(recordBytes(songs.back()))) break;
        }
        return songs;
    });
}

} // namespace kelvane::mpdc
