// The connection's listings: exchanges whose answer is a list, each read against the
// budget of ReadBudget.
#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

#include <QStringDecoder>

namespace kelvane::mpdc {

namespace {
std::vector<SongInfo> readSongs(mpd_connection *c, ReadBudget &budget) {
    RecordReader reader(c, budget);
    std::vector<SongInfo> songs;
    while (SongPtr song = reader.song()) {
        songs.push_back(songFrom(*song));
        if (!budget.take(recordBytes(songs.back()))) break;
    }
    return songs;
}

std::vector<Entity> readEntities(mpd_connection *c, ReadBudget &budget) {
    RecordReader reader(c, budget);
    std::vector<Entity> entities;
    while (EntityPtr entity = reader.entity()) {
        entities.push_back(entityFrom(*entity));
        if (!budget.take(recordBytes(entities.back()))) break;
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
                       [](mpd_connection *conn, ReadBudget &budget) -> std::optional<SongInfo> {
                           if (SongPtr s = RecordReader(conn, budget).song()) return songFrom(*s);
                           return std::nullopt;
                       });
    return song ? *song : std::nullopt;
}

std::optional<std::vector<OutputInfo>> Connection::outputs() {
    auto guard = lock();
    mpd_connection *c = handle();
    return answer(c && mpd_send_outputs(c), [](mpd_connection *conn, ReadBudget &budget) {
        RecordReader reader(conn, budget);
        std::vector<OutputInfo> outputs;
        while (OutputPtr output = reader.output()) {
            OutputInfo info;
            info.id = mpd_output_get_id(output.get());
            info.name = fromUtf8OrNull(mpd_output_get_name(output.get()));
            info.plugin = fromUtf8OrNull(mpd_output_get_plugin(output.get()));
            info.enabled = mpd_output_get_enabled(output.get());
            outputs.push_back(std::move(info));
            if (!budget.take(qsizetype(sizeof(OutputInfo)) + textBytes(outputs.back().name) +
                             textBytes(outputs.back().plugin)))
                break;
        }
        return outputs;
    });
}

std::optional<ReplayGainMode> Connection::replayGainMode() {
    auto guard = lock();
    mpd_connection *c = handle();
    auto mode =
        answer(c && mpd_send_replay_gain_status(c), [](mpd_connection *conn, ReadBudget &budget) {
            RecordReader reader(conn, budget);
            std::optional<ReplayGainMode> found;
            while (mpd_pair *pair = reader.line()) {
                if (std::strcmp(pair->name, "replay_gain_mode") != 0) {
                    reader.done(pair);
                    continue;
                }
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
                reader.done(pair);
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
                      RecordReader reader(conn, budget);
                      QStringList uris;
                      QStringDecoder decoder(QStringDecoder::Utf8);
                      while (mpd_pair *pair = reader.line()) {
                          bool within = true;
                          if (std::strcmp(pair->name, "file") == 0) {
                              const qsizetype length = qsizetype(std::strlen(pair->value));
                              QString uri = decoder(QByteArrayView(pair->value, length));
                              if (!decoder.hasError()) {
                                  uris << std::move(uri);
                                  within = budget.take(qsizetype(sizeof(QString)) +
                                                       textBytes(uris.back()));
                              }
                              decoder.resetState();
                          }
                          reader.done(pair);
                          if (!within) break;
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
        RecordReader reader(conn, budget);
        QStringList names;
        while (mpd_pair *pair = reader.line()) {
            bool within = true;
            // A playlist's other lines (its Last-Modified) say nothing the list shows.
            if (std::strcmp(pair->name, "playlist") == 0) {
                names << QString::fromUtf8(pair->value);
                within = budget.take(qsizetype(sizeof(QString)) + textBytes(names.back()));
            }
            reader.done(pair);
            if (!within) break;
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
                      RecordReader reader(conn, budget);
                      QStringList uris;
                      while (SongPtr song = reader.song()) {
                          uris << QString::fromUtf8(mpd_song_get_uri(song.get()));
                          if (!budget.take(qsizetype(sizeof(QString)) + textBytes(uris.back())))
                              break;
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
