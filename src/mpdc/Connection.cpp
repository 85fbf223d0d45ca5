#include "mpdc/Connection.h"

#include "mpdc/Handles.h"
#include "mpdc/SongConversion.h"

#include <QStringDecoder>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace kelvane::mpdc {

struct Connection::Impl {
    ConnectionPtr c;
};

namespace {
QByteArray utf8(const QString &text) { return text.toUtf8(); }

// mpd never sets TCP_NODELAY and sends a long answer in two writes; without quick
// acknowledgements from us the second write waits about 40 ms. Linux leaves quick-ack
// mode on its own, so this is repeated before each long answer is read.
void quickAck(int fd)
{
    if (fd < 0)
        return;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}
} // namespace

Connection::Connection(mpd_connection *raw) : d(std::make_unique<Impl>())
{
    d->c.reset(raw);
}

Connection::~Connection() = default;

std::unique_ptr<Connection> Connection::open(const QString &host, quint32 port, unsigned timeoutMs)
{
    std::unique_ptr<Connection> connection(new Connection(mpd_connection_new(utf8(host).constData(), port, timeoutMs)));
    // libmpdclient writes a long command list in 4 KiB pieces; without TCP_NODELAY the
    // second piece waits for the server's delayed acknowledgement.
    const int fd = connection->fd();
    if (fd >= 0) {
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return connection;
}

void Connection::setRefusalHandler(std::function<void(const QString &)> handler)
{
    auto guard = lock();
    m_refusalHandler = std::move(handler);
}

bool Connection::hasError() const
{
    auto guard = lock();
    return !d->c || mpd_connection_get_error(d->c.get()) != MPD_ERROR_SUCCESS;
}

ErrorKind Connection::errorKind() const
{
    auto guard = lock();
    if (!d->c)
        return ErrorKind::Other;
    switch (mpd_connection_get_error(d->c.get())) {
    case MPD_ERROR_SUCCESS: return ErrorKind::Success;
    case MPD_ERROR_SERVER: return ErrorKind::Server;
    default: return ErrorKind::Other;
    }
}

QString Connection::errorMessage() const
{
    auto guard = lock();
    if (!d->c)
        return QStringLiteral("Out of memory");
    const char *message = mpd_connection_get_error_message(d->c.get());
    return message ? QString::fromUtf8(message) : QString();
}

bool Connection::finishResponse()
{
    auto guard = lock();
    return d->c && mpd_response_finish(d->c.get());
}

bool Connection::clearError()
{
    auto guard = lock();
    return d->c && mpd_connection_clear_error(d->c.get());
}

int Connection::fd() const
{
    auto guard = lock();
    // A connection that failed to open has no socket at all; the library asserts on it.
    if (!d->c || mpd_connection_get_error(d->c.get()) != MPD_ERROR_SUCCESS)
        return -1;
    return mpd_connection_get_fd(d->c.get());
}

void Connection::afterFailure()
{
    mpd_connection *c = d->c.get();
    if (!c || mpd_connection_get_error(c) != MPD_ERROR_SERVER)
        return;
    const QString message = errorMessage();
    if (!mpd_connection_clear_error(c))
        return;
    // The refusal may have left the rest of the answer unread.
    mpd_response_finish(c);
    if (m_refusalHandler)
        m_refusalHandler(message);
}

bool Connection::ok(bool result)
{
    if (!result)
        afterFailure();
    return result;
}

PollResult Connection::poll()
{
    auto guard = lock();
    PollResult result;
    mpd_connection *c = d->c.get();
    if (!c)
        return result;
    if (!mpd_command_list_begin(c, true) || !mpd_send_status(c) || !mpd_send_current_song(c) ||
        !mpd_command_list_end(c))
        return result;
    quickAck(fd());
    StatusPtr status{mpd_recv_status(c)};
    if (!status)
        return result;
    result.statusOk = true;
    result.status = statusFrom(*status);
    if (!mpd_response_next(c))
        return result;
    while (SongPtr song{mpd_recv_song(c)})
        result.songs.push_back(songFrom(*song));
    result.songOk = mpd_response_finish(c);
    return result;
}

std::optional<StatusInfo> Connection::status()
{
    auto guard = lock();
    mpd_connection *c = d->c.get();
    if (!c || !mpd_send_status(c))
        return std::nullopt;
    StatusPtr status{mpd_recv_status(c)};
    if (!status) {
        afterFailure();
        return std::nullopt;
    }
    StatusInfo info = statusFrom(*status);
    if (!ok(mpd_response_finish(c)))
        return std::nullopt;
    return info;
}

namespace {
std::vector<SongInfo> readSongs(mpd_connection *c)
{
    std::vector<SongInfo> songs;
    while (SongPtr song{mpd_recv_song(c)})
        songs.push_back(songFrom(*song));
    return songs;
}

std::vector<Entity> readEntities(mpd_connection *c)
{
    std::vector<Entity> entities;
    while (EntityPtr entity{mpd_recv_entity(c)})
        entities.push_back(entityFrom(*entity));
    return entities;
}
} // namespace

template <class Read> auto Connection::answer(bool sent, Read read)
{
    using Result = decltype(read(static_cast<mpd_connection *>(nullptr)));
    if (!sent)
        return std::optional<Result>();
    mpd_connection *c = d->c.get();
    quickAck(fd());
    Result result = read(c);
    // A null from a read call ends the answer or reports an error: the end tells which.
    if (!ok(mpd_response_finish(c)))
        return std::optional<Result>();
    return std::optional<Result>(std::move(result));
}

bool Connection::password(const QString &password)
{
    auto guard = lock();
    // Not through ok(): a refused password is reported by the caller as a failed connect.
    return d->c && mpd_run_password(d->c.get(), utf8(password).constData());
}

#define KELVANE_RUN(call)                                                                          \
    auto guard = lock();                                                                           \
    return d->c && ok(call)

bool Connection::play() { KELVANE_RUN(mpd_run_play(d->c.get())); }
bool Connection::playPos(quint32 position) { KELVANE_RUN(mpd_run_play_pos(d->c.get(), position)); }
bool Connection::togglePause() { KELVANE_RUN(mpd_run_toggle_pause(d->c.get())); }
bool Connection::stop() { KELVANE_RUN(mpd_run_stop(d->c.get())); }
bool Connection::next() { KELVANE_RUN(mpd_run_next(d->c.get())); }
bool Connection::previous() { KELVANE_RUN(mpd_run_previous(d->c.get())); }
bool Connection::seekCurrent(float seconds) { KELVANE_RUN(mpd_run_seek_current(d->c.get(), seconds, false)); }
bool Connection::setVolume(quint32 volume) { KELVANE_RUN(mpd_run_set_volume(d->c.get(), volume)); }
bool Connection::add(const QString &uri) { KELVANE_RUN(mpd_run_add(d->c.get(), utf8(uri).constData())); }
bool Connection::deletePos(quint32 position) { KELVANE_RUN(mpd_run_delete(d->c.get(), position)); }
bool Connection::clear() { KELVANE_RUN(mpd_run_clear(d->c.get())); }
bool Connection::save(const QString &name) { KELVANE_RUN(mpd_run_save(d->c.get(), utf8(name).constData())); }
bool Connection::playlistClear(const QString &name)
{
    KELVANE_RUN(mpd_run_playlist_clear(d->c.get(), utf8(name).constData()));
}
bool Connection::playlistAdd(const QString &name, const QString &uri)
{
    KELVANE_RUN(mpd_run_playlist_add(d->c.get(), utf8(name).constData(), utf8(uri).constData()));
}
bool Connection::playlistDelete(const QString &name, quint32 position)
{
    KELVANE_RUN(mpd_run_playlist_delete(d->c.get(), utf8(name).constData(), position));
}
bool Connection::rename(const QString &from, const QString &to)
{
    KELVANE_RUN(mpd_run_rename(d->c.get(), utf8(from).constData(), utf8(to).constData()));
}
bool Connection::removePlaylist(const QString &name) { KELVANE_RUN(mpd_run_rm(d->c.get(), utf8(name).constData())); }

#undef KELVANE_RUN

std::optional<std::vector<SongInfo>> Connection::queue()
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_queue_meta(d->c.get())), readSongs);
}

std::optional<SongInfo> Connection::queueSongAt(quint32 position)
{
    auto guard = lock();
    auto song = answer(d->c && ok(mpd_send_get_queue_song_pos(d->c.get(), position)),
                       [](mpd_connection *c) -> std::optional<SongInfo> {
                           if (SongPtr s{mpd_recv_song(c)})
                               return songFrom(*s);
                           return std::nullopt;
                       });
    return song ? *song : std::nullopt;
}

std::optional<std::vector<Entity>> Connection::listAll(const QString &path)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_all(d->c.get(), utf8(path).constData())), readEntities);
}

std::optional<QStringList> Connection::listAllSongUris(const QString &path)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_all(d->c.get(), utf8(path).constData())), [](mpd_connection *c) {
        QStringList uris;
        QStringDecoder decoder(QStringDecoder::Utf8);
        while (mpd_pair *pair = mpd_recv_pair(c)) {
            if (std::strcmp(pair->name, "file") == 0) {
                QString uri = decoder(QByteArrayView(pair->value, qsizetype(std::strlen(pair->value))));
                if (!decoder.hasError())
                    uris << std::move(uri);
                decoder.resetState();
            }
            mpd_return_pair(c, pair);
        }
        return uris;
    });
}

std::optional<std::vector<Entity>> Connection::listMeta(const QString &path)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_meta(d->c.get(), utf8(path).constData())), readEntities);
}

std::optional<std::vector<Entity>> Connection::listAllInfo(const QString &path)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_all_meta(d->c.get(), utf8(path).constData())), readEntities);
}

namespace {
// One song of a listing read line by line; only the first value of each tag counts,
// as the library's song record keeps it.
class AlbumTagsReader {
public:
    void feed(const char *name, const char *value, std::vector<SongInfo> &songs)
    {
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
                take(name, value, "Genre", GENRE, m_song->genre) || take(name, value, "Date", DATE, m_song->date);
        }
    }
    void reset() { m_song = nullptr; }

private:
    enum Tag : unsigned { ARTIST = 1, ALBUM_ARTIST = 2, ALBUM = 4, GENRE = 8, DATE = 16 };
    bool take(const char *name, const char *value, const char *tag, Tag bit, QString &field)
    {
        if (std::strcmp(name, tag) != 0)
            return false;
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

std::optional<std::vector<std::vector<SongInfo>>> Connection::listAlbumTagsMany(const QStringList &paths,
                                                                                int batchSize)
{
    auto guard = lock();
    mpd_connection *c = d->c.get();
    if (!c)
        return std::nullopt;
    std::vector<std::vector<SongInfo>> results;
    results.reserve(size_t(paths.size()));
    AlbumTagsReader reader;
    for (qsizetype start = 0; start < paths.size(); start += batchSize) {
        const qsizetype stop = std::min<qsizetype>(paths.size(), start + batchSize);
        bool sent = mpd_command_list_begin(c, true);
        for (qsizetype i = start; sent && i < stop; ++i)
            sent = mpd_send_list_meta(c, utf8(paths[i]).constData());
        if (!sent || !mpd_command_list_end(c)) {
            afterFailure();
            return std::nullopt;
        }
        quickAck(fd());
        for (qsizetype i = start; i < stop; ++i) {
            std::vector<SongInfo> songs;
            reader.reset();
            // A null pair ends one path's answer (list_OK) or reports an error.
            while (mpd_pair *pair = mpd_recv_pair(c)) {
                reader.feed(pair->name, pair->value, songs);
                mpd_return_pair(c, pair);
            }
            if (mpd_connection_get_error(c) != MPD_ERROR_SUCCESS || (i + 1 < stop && !mpd_response_next(c))) {
                afterFailure();
                return std::nullopt;
            }
            results.push_back(std::move(songs));
        }
        if (!ok(mpd_response_finish(c)))
            return std::nullopt;
    }
    return results;
}

quint32 Connection::update(const QString &path)
{
    auto guard = lock();
    if (!d->c)
        return 0;
    const unsigned job = mpd_run_update(d->c.get(), path.isEmpty() ? nullptr : utf8(path).constData());
    if (job == 0)
        afterFailure();
    return job;
}

std::optional<QStringList> Connection::playlists()
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_playlists(d->c.get())), [](mpd_connection *c) {
        QStringList names;
        while (PlaylistPtr playlist{mpd_recv_playlist(c)})
            names << QString::fromUtf8(mpd_playlist_get_path(playlist.get()));
        return names;
    });
}

std::optional<std::vector<SongInfo>> Connection::playlistSongs(const QString &name)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_playlist_meta(d->c.get(), utf8(name).constData())), readSongs);
}

std::optional<QStringList> Connection::playlistUris(const QString &name)
{
    auto guard = lock();
    return answer(d->c && ok(mpd_send_list_playlist(d->c.get(), utf8(name).constData())), [](mpd_connection *c) {
        QStringList uris;
        while (SongPtr song{mpd_recv_song(c)})
            uris << QString::fromUtf8(mpd_song_get_uri(song.get()));
        return uris;
    });
}

} // namespace kelvane::mpdc
