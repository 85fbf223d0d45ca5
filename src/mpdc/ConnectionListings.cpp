// The connection's listings: exchanges whose answer is a list, each read against the
// budget of ReadBudget.
#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

#include <QStringDecoder>

namespace kelvane::mpdc {

namespace {
std::vector<SongInfo> readSongs(mpd_connection *c, ReadBudget &budget) {
    std::vector<SongInfo> songs;
    while (SongPtr song{mpd_recv_song(c)}) {
        songs.push_back(songFrom(*song));
        if (!budget.take(recordBytes(songs.back()))) break;
    }
    return songs;
}

std::vector<Entity> readEntities(mpd_connection *c, ReadBudget &budget) {
    std::vector<Entity> entities;
    while (EntityPtr entity{mpd_recv_entity(c)}) {
        entities.push_back(entityFrom(*entity));
        if (!budget.take(recordBytes(entities.back().song) + entities.back().path.size())) break;
    }
    return entities;
}
} // namespace

std::optional<std::vector<SongInfo>> Connection::queue() {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && mpd_send_list_queue_meta(c), readSongs);
}

std::optional<std::vector<SongInfo>> Connection::queueChanges(quint32 version) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && mpd_send_queue_changes_meta(c, version), readSongs);
}

std::optional<SongInfo> Connection::queueSongAt(quint32 position) {
    auto guard = lock();
    mpd_connection *c = handle();
    auto song = answer(c && mpd_send_get_queue_song_pos(c, position),
                       [](mpd_connection *conn, ReadBudget &) -> std::optional<SongInfo> {
                           if (SongPtr s{mpd_recv_song(conn)}) return songFrom(*s);
                           return std::nullopt;
                       });
    return song ? *song : std::nullopt;
}

std::optional<std::vector<OutputInfo>> Connection::outputs() {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && mpd_send_outputs(c), [](mpd_connection *conn, ReadBudget &budget) {
        std::vector<OutputInfo> outputs;
        while (std::unique_ptr<mpd_output, CFree<mpd_output_free>> output{mpd_recv_output(conn)}) {
            OutputInfo info;
            info.id = mpd_output_get_id(output.get());
            info.name = fromUtf8OrNull(mpd_output_get_name(output.get()));
            info.plugin = fromUtf8OrNull(mpd_output_get_plugin(output.get()));
            info.enabled = mpd_output_get_enabled(output.get());
            outputs.push_back(std::move(info));
            if (!budget.take(outputs.back().name.size() + outputs.back().plugin.size() + 64)) break;
        }
        return outputs;
    });
}

std::optional<ReplayGainMode> Connection::replayGainMode() {
    auto guard = lock();
    mpd_connection *c = handle();
    auto mode =
        answer(c && mpd_send_replay_gain_status(c), [](mpd_connection *conn, ReadBudget &budget) {
            std::optional<ReplayGainMode> found;
            while (mpd_pair *pair = mpd_recv_pair_named(conn, "replay_gain_mode")) {
                switch (mpd_parse_replay_gain_name(pair->value)) {
                case MPD_REPLAY_OFF:
                    found = ReplayGainMode::Off;
                    break;
                case MPD_REPLAY_TRACK:
                    found = ReplayGainMode::Track;
                    break;
                case MPD_REPLAY_ALBUM:
                    found = ReplayGainMode::Album;
                    break;
                case MPD_REPLAY_AUTO:
                    found = ReplayGainMode::Auto;
                    break;
                default:
                    break;
                }
                mpd_return_pair(conn, pair);
                if (!budget.take(64)) break;
            }
            return found;
        });
    return mode ? *mode : std::nullopt;
}

std::optional<std::vector<Entity>> Connection::listAll(const QString &path) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({path}) && mpd_send_list_all(c, utf8(path).constData()),
                  readEntities);
}

std::optional<QStringList> Connection::listAllSongUris(const QString &path) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({path}) && mpd_send_list_all(c, utf8(path).constData()),
                  [](mpd_connection *conn, ReadBudget &budget) {
                      QStringList uris;
                      QStringDecoder decoder(QStringDecoder::Utf8);
                      while (mpd_pair *pair = mpd_recv_pair(conn)) {
                          const qsizetype length = qsizetype(std::strlen(pair->value));
                          if (std::strcmp(pair->name, "file") == 0) {
                              QString uri = decoder(QByteArrayView(pair->value, length));
                              if (!decoder.hasError()) uris << std::move(uri);
                              decoder.resetState();
                          }
                          mpd_return_pair(conn, pair);
                          if (!budget.take(length)) break;
                      }
                      return uris;
                  });
}

std::optional<std::vector<Entity>> Connection::listMeta(const QString &path) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({path}) && mpd_send_list_meta(c, utf8(path).constData()),
                  readEntities);
}

std::optional<std::vector<Entity>> Connection::listAllInfo(const QString &path) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({path}) && mpd_send_list_all_meta(c, utf8(path).constData()),
                  readEntities);
}

std::optional<QStringList> Connection::playlists() {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && mpd_send_list_playlists(c), [](mpd_connection *conn, ReadBudget &budget) {
        QStringList names;
        while (PlaylistPtr playlist{mpd_recv_playlist(conn)}) {
            names << QString::fromUtf8(mpd_playlist_get_path(playlist.get()));
            if (!budget.take(names.back().size())) break;
        }
        return names;
    });
}

std::optional<std::vector<SongInfo>> Connection::playlistSongs(const QString &name) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({name}) && mpd_send_list_playlist_meta(c, utf8(name).constData()),
                  readSongs);
}

std::optional<QStringList> Connection::playlistUris(const QString &name) {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && acceptable({name}) && mpd_send_list_playlist(c, utf8(name).constData()),
                  [](mpd_connection *conn, ReadBudget &budget) {
                      QStringList uris;
                      while (SongPtr song{mpd_recv_song(conn)}) {
                          uris << QString::fromUtf8(mpd_song_get_uri(song.get()));
                          if (!budget.take(uris.back().size())) break;
                      }
                      return uris;
                  });
}

} // namespace kelvane::mpdc

namespace kelvane::mpdc {

std::optional<std::vector<SongInfo>> Connection::searchAny(const QString &text, quint32 limit) {
    auto guard = lock();
    mpd_connection *c = handle();
    // Songs with any tag holding the text, ignoring case ("search any").
    const bool sent =
        c && acceptable({text}) && mpd_search_db_songs(c, false) &&
        mpd_search_add_any_tag_constraint(c, MPD_OPERATOR_DEFAULT, utf8(text).constData()) &&
        mpd_search_add_window(c, 0, limit) && mpd_search_commit(c);
    if (c && !sent && mpd_connection_get_error(c) == MPD_ERROR_SUCCESS)
        mpd_search_cancel(c); // refused before sending: the half-built search is dropped
    return answer(sent, readSongs);
}

} // namespace kelvane::mpdc
