// The catalogue's pipelined directory listings, read as bare lines.
#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

#include <algorithm>

namespace kelvane::mpdc {

namespace {
// One song of a listing read line by line; only the first value of each tag counts,
// as the library's song record keeps it.
class AlbumTagsReader {
  public:
    void feed(const char *name, const char *value, std::vector<SongInfo> &songs) {
        if (std::strcmp(name, "file") == 0) {
            songs.emplace_back();
            m_song = &songs.back();
            m_song->uri = fromUtf8OrNull(value);
            m_seen = 0;
        } else if (std::strcmp(name, "directory") == 0 || std::strcmp(name, "playlist") == 0) {
            m_song = nullptr;
        } else if (m_song) {
            take(name, value, "Artist", ARTIST, m_song->artist) ||
                take(name, value, "AlbumArtist", ALBUM_ARTIST, m_song->albumArtist) ||
                take(name, value, "Album", ALBUM, m_song->album) ||
                take(name, value, "Genre", GENRE, m_song->genre) ||
                take(name, value, "Date", DATE, m_song->date) ||
                take(name, value, "Title", TITLE, m_song->title) ||
                take(name, value, "Composer", COMPOSER, m_song->composer) ||
                take(name, value, "Track", TRACK, m_song->track) ||
                take(name, value, "Disc", DISC, m_song->disc) || takeTime(name, value);
        }
    }
    void reset() { m_song = nullptr; }

  private:
    enum Tag : unsigned {
        ARTIST = 1,
        ALBUM_ARTIST = 2,
        ALBUM = 4,
        GENRE = 8,
        DATE = 16,
        TITLE = 32,
        COMPOSER = 64,
        TRACK = 128,
        DISC = 256,
    };
    // Whole seconds, as the library's song record gives them: "Time", the older and
    // whole-second field, which the server still sends beside "duration".
    bool takeTime(const char *name, const char *value) {
        if (std::strcmp(name, "Time") != 0) return false;
        const QByteArrayView digits(value);
        bool ok = false;
        const qulonglong seconds = digits.toULongLong(&ok);
        m_song->duration = ok ? quint32(std::min<qulonglong>(seconds, 0xFFFFFFFFu)) : 0;
        return true;
    }
    bool take(const char *name, const char *value, const char *tag, Tag bit, QString &field) {
        if (std::strcmp(name, tag) != 0) return false;
        if (!(m_seen & bit)) {
            m_seen |= bit;
            field = fromUtf8OrNull(value);
        }
        return true;
    }

    SongInfo *m_song = nullptr;
    unsigned m_seen = 0;
};
} // namespace

std::optional<std::vector<std::vector<SongInfo>>>
Connection::listAlbumTagsMany(const QStringList &paths, int batchSize, qsizetype *failedAt) {
    auto guard = lock();
    mpd_connection *c = handle();
    if (!c) return std::nullopt;
    std::vector<std::vector<SongInfo>> results;
    ReadBudget budget;
    const auto fail = [&](qsizetype index) {
        if (failedAt) *failedAt = index;
        // The lists go before their memory is handed back.
        results = {};
        if (budget.exceeded())
            abandon(budget);
        else {
            afterFailure();
            giveBackMemory(budget);
        }
        return std::nullopt;
    };
    for (qsizetype i = 0; i < paths.size(); ++i)
        if (!acceptable({paths[i]})) return fail(i);
    results.reserve(size_t(paths.size()));
    AlbumTagsReader reader;
    batchSize = std::max(1, batchSize);
    for (qsizetype start = 0; start < paths.size(); start += batchSize) {
        const qsizetype stop = std::min<qsizetype>(paths.size(), start + batchSize);
        bool sent = mpd_command_list_begin(c, true);
        for (qsizetype i = start; sent && i < stop; ++i)
            sent = mpd_send_list_meta(c, utf8(paths[i]).constData());
        if (!sent || !mpd_command_list_end(c)) return fail(start);
        quickAck(d->fd);
        for (qsizetype i = start; i < stop; ++i) {
            std::vector<SongInfo> songs;
            reader.reset();
            // A null pair ends one path's answer (list_OK) or reports an error.
            while (mpd_pair *pair = mpd_recv_pair(c)) {
                const bool within = budget.read(*pair);
                reader.feed(pair->name, pair->value, songs);
                mpd_return_pair(c, pair);
                if (!within) {
                    songs = {};
                    return fail(i);
                }
            }
            bool within = true;
            for (const SongInfo &song : songs)
                within = within && budget.take(recordBytes(song));
            if (!within || mpd_connection_get_error(c) != MPD_ERROR_SUCCESS ||
                (i + 1 < stop && !mpd_response_next(c))) {
                songs = {};
                return fail(i);
            }
            results.push_back(std::move(songs));
        }
        if (!mpd_response_finish(c)) return fail(stop - 1);
    }
    return results;
}

} // namespace kelvane::mpdc
