#pragma once

#include "mpdc/Records.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct mpd_connection;

namespace kelvane::mpdc {

// One connection to the server. Any thread; every public call is one whole exchange
// (request and complete answer) under the connection's lock, so the database update's
// worker and the GUI thread's commands and polls never interleave on the socket. This
// is the one place the exchanges are serialised. A caller that needs several exchanges
// back to back without another thread in between holds lock() around them (the lock is
// recursive).
//
// Errors: a call that fails leaves the connection in the library's error state, as the
// library does; the exception is a refusal by the server (MPD_ERROR_SERVER) on a command
// or listing: it is handed once to the refusal handler and then cleared, because the
// connection itself is still sound and polling must go on.
class Connection {
public:
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens a connection; never null. Check hasError() on the result.
    static std::unique_ptr<Connection> open(const QString &host, quint32 port, unsigned timeoutMs);

    std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(m_mutex); }

    // Called (on the thread of the failing call) with the server's message.
    void setRefusalHandler(std::function<void(const QString &message)> handler);

    bool hasError() const;
    ErrorKind errorKind() const;
    QString errorMessage() const;
    // Drains whatever answer is left; false when that fails.
    bool finishResponse();
    bool clearError();
    int fd() const;

    // The poll: status and current song in one command list (one round trip).
    PollResult poll();
    std::optional<StatusInfo> status();

    bool password(const QString &password);

    // Player.
    bool play();
    bool playPos(quint32 position);
    bool togglePause();
    bool stop();
    bool next();
    bool previous();
    bool seekCurrent(float seconds);
    bool setVolume(quint32 volume);

    // Queue.
    bool add(const QString &uri);
    bool deletePos(quint32 position);
    bool clear();
    bool save(const QString &name);
    std::optional<std::vector<SongInfo>> queue();
    std::optional<SongInfo> queueSongAt(quint32 position);

    // Database.
    std::optional<std::vector<Entity>> listAll(const QString &path);
    // The uris of the songs "listall" names, read as bare lines: the catalogue needs no
    // more, and building a song record per line cost as much as the request. A uri that
    // is not UTF-8 is left out.
    std::optional<QStringList> listAllSongUris(const QString &path);
    std::optional<std::vector<Entity>> listMeta(const QString &path);
    // lsinfo of many directories, pipelined in command lists of batchSize, for the album
    // catalogue: per path, in order, the songs directly inside, each
    // with only uri, artist, albumArtist, album, genre and date (first values, as
    // SongInfo reads them). Read as bare lines: building the library's song records was
    // most of the catalogue's time.
    std::optional<std::vector<std::vector<SongInfo>>> listAlbumTagsMany(const QStringList &paths,
                                                                        int batchSize = 256);
    std::optional<std::vector<Entity>> listAllInfo(const QString &path);
    quint32 update(const QString &path);

    // Stored playlists.
    std::optional<QStringList> playlists();
    std::optional<std::vector<SongInfo>> playlistSongs(const QString &name);
    std::optional<QStringList> playlistUris(const QString &name);
    bool playlistAdd(const QString &name, const QString &uri);
    bool playlistClear(const QString &name);
    bool playlistDelete(const QString &name, quint32 position);
    bool rename(const QString &from, const QString &to);
    bool removePlaylist(const QString &name);

private:
    explicit Connection(mpd_connection *raw);
    bool ok(bool result);
    void afterFailure();
    // The rest of one exchange whose request was sent (or failed to be): reads every
    // record of the answer with read(connection), then wants a clean end of answer.
    template <class Read> auto answer(bool sent, Read read);

    struct Impl;
    std::unique_ptr<Impl> d;
    mutable std::recursive_mutex m_mutex;
    std::function<void(const QString &)> m_refusalHandler;
};

} // namespace kelvane::mpdc
