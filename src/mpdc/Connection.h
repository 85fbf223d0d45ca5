#pragma once

#include "mpdc/Records.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <locale.h>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct mpd_connection;

namespace kelvane::mpdc {

class ReadBudget;

// One connection to the server. Any thread; every public call is one whole exchange
// (request and complete answer) under the connection's lock, so workers and the GUI
// thread never interleave on the socket. This is the one place the exchanges are
// serialised. A caller that needs several exchanges back to back without another thread
// in between holds lock() around them (the lock is recursive).
//
// Errors: a refusal by the server (MPD_ERROR_SERVER) on a command or listing is handed
// once to the refusal handler and then cleared, because the connection itself is still
// sound. Any other failure (the server gone, a time-out, a malformed or oversized
// answer) closes the connection at once: the library's handle is freed, its message is
// kept for the one report, and no later call reaches the library. A text argument with
// a control character, or a command line over the server's limit, is refused before
// anything is sent, like a server refusal.
class Connection {
  public:
    // Held around each exchange: the connection's lock, and the "C" locale on this thread
    // for as long. libmpdclient writes and reads decimals with the C library ("seekcur
    // 60.000", "elapsed: 12.345") and takes its system error texts from it; whatever
    // locale the process is in (Qt sets it from the environment, and a library may do so
    // again at any time), the protocol sees points and the failures English.
    class Exchange {
      public:
        explicit Exchange(std::recursive_mutex &mutex);
        ~Exchange();
        Exchange(const Exchange &) = delete;
        Exchange &operator=(const Exchange &) = delete;

      private:
        std::unique_lock<std::recursive_mutex> m_lock;
        locale_t m_previous;
    };

    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens a connection; never null. Check hasError() on the result. host is a name, a
    // numeric address or the path of a local socket ("/..."), as the library takes it.
    static std::unique_ptr<Connection> open(const QString &host, quint32 port, unsigned timeoutMs);

    // Taking the lock is using the connection: it counts for idleFor().
    Exchange lock() const {
        m_lastUse = std::chrono::steady_clock::now().time_since_epoch().count();
        return Exchange(m_mutex);
    }
    // How long the connection has gone without an exchange (or without being locked).
    std::chrono::steady_clock::duration idleFor() const;

    // The bound every answer is read against: records kept, the memory they take, the
    // text read (2 million, 512 MiB, 256 MiB in use); tests lower it.
    static void setAnswerLimits(qsizetype entries, qsizetype bytes,
                                qsizetype text = qsizetype(256) << 20);
    static void resetAnswerLimits();

    // Called (on the thread of the failing call) with the refusal: the server's code and
    // message, or this layer's.
    void setRefusalHandler(std::function<void(const Failure &refusal)> handler);
    // While the returned guard lives (and holds the lock), refusals are cleared without
    // a report: for optional reads a server may not offer (an old server, a permission).
    class QuietRefusals {
      public:
        explicit QuietRefusals(Connection &connection)
            : m_guard(connection.lock()), m_connection(connection) {
            ++m_connection.m_quiet;
        }
        ~QuietRefusals() { --m_connection.m_quiet; }
        QuietRefusals(const QuietRefusals &) = delete;
        QuietRefusals &operator=(const QuietRefusals &) = delete;

      private:
        Exchange m_guard;
        Connection &m_connection;
    };

    bool hasError() const;
    // Without the lock: a thread that must not wait (the GUI thread) may ask while another
    // is in the middle of an exchange.
    bool isClosed() const { return !m_open.load(); }
    ErrorKind errorKind() const;
    QString errorMessage() const;
    // What the error is, by code; cause Library with no message when there is none.
    Failure failure() const;
    // Drains whatever answer is left; false when that fails.
    bool finishResponse();
    int fd() const;
    // The server's protocol version ("0.23.5"); empty when closed.
    QString serverVersion() const;
    // Whether the server has closed its end (its goodbye waits unread); the connection is
    // then closed with the library's own message for it. Writing first would earn a
    // reset, and the alert would blame the network.
    bool closeIfServerLeft();
    // Makes a call blocked in this connection's socket (on another thread) fail at once,
    // and every later call too. The handle is freed by the owner as usual.
    void abort();

    // The poll: status and current song in one command list (one round trip). A failure
    // closes the connection, whatever the reason: the poll is what tells the client the
    // server is gone.
    PollResult poll();
    std::optional<StatusInfo> status();

    // Idle: asks to be told of the changes in events (Idle bits); the answer comes when
    // something changes, and receiveIdle() reads it once the socket is readable. Nothing
    // else may be sent in between.
    bool sendIdle(unsigned events);
    std::optional<unsigned> receiveIdle();

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

    // Playback modes and outputs.
    bool setRandom(bool on);
    bool setRepeat(bool on);
    bool setSingle(SingleMode mode);
    bool setConsume(bool on);
    bool setCrossfade(quint32 seconds);
    std::optional<ReplayGainMode> replayGainMode();
    bool setReplayGainMode(ReplayGainMode mode);
    std::optional<std::vector<OutputInfo>> outputs();
    bool enableOutput(quint32 id, bool enabled);

    // Queue.
    bool add(const QString &uri);
    // Inserts at a queue position (the songs from there on move down).
    bool addAt(const QString &uri, quint32 position);
    bool deletePos(quint32 position);
    bool clear();
    bool shuffle();
    // Moves the entries [start, end) so that the first lands at position to.
    bool moveRange(quint32 start, quint32 end, quint32 to);
    bool save(const QString &name);
    std::optional<std::vector<SongInfo>> queue();
    // The entries changed since queue version `version` ("plchanges"), in position order.
    std::optional<std::vector<SongInfo>> queueChanges(quint32 version);
    // The whole queue with the status it goes with, in one exchange.
    std::optional<QueueSnapshot> queueSnapshot();
    // Positions and ids changed since `version` ("plchangesposid"), with the status.
    std::optional<QueueChanges> queueChangesSince(quint32 version);
    // Full records of queue entries by id, in the order given (one command list).
    std::optional<std::vector<SongInfo>> queueSongsById(const std::vector<quint32> &ids);
    std::optional<SongInfo> queueSongAt(quint32 position);

    // Database.
    std::optional<std::vector<Entity>> listAll(const QString &path);
    // The uris of the songs "listall" names, read as bare lines: the catalogue needs no
    // more, and building a song record per line cost as much as the request. A uri that
    // is not UTF-8 is left out.
    std::optional<QStringList> listAllSongUris(const QString &path);
    std::optional<std::vector<Entity>> listMeta(const QString &path);
    // lsinfo of many directories, pipelined in command lists of batchSize, for the album
    // catalogue: per path, in order, the songs directly inside, each with only uri,
    // artist, albumArtist, album, genre and date for the albums, and title, composer,
    // track, disc and duration for the song search (first values, as SongInfo reads
    // them). Read as bare lines: building the library's song records was
    // most of the catalogue's time. On a failure, *failedAt (when given) is the index of
    // the path whose answer broke.
    std::optional<std::vector<std::vector<SongInfo>>>
    listAlbumTagsMany(const QStringList &paths, int batchSize = 256, qsizetype *failedAt = nullptr);
    std::optional<std::vector<Entity>> listAllInfo(const QString &path);
    // The first `limit` songs of the database with a tag holding text, ignoring case.
    std::optional<std::vector<SongInfo>> searchAny(const QString &text, quint32 limit);
    quint32 update(const QString &path);

    // Pictures, read chunk by chunk up to maxBytes in all. The chunk size is the
    // server's (8 KiB) unless setBinaryLimit() raised it.
    bool setBinaryLimit(quint32 bytes);
    PictureResult picture(PictureKind kind, const QString &uri, qsizetype maxBytes);

    // Stored playlists.
    std::optional<QStringList> playlists();
    std::optional<std::vector<SongInfo>> playlistSongs(const QString &name);
    std::optional<QStringList> playlistUris(const QString &name);
    bool playlistAdd(const QString &name, const QString &uri);
    bool playlistClear(const QString &name);
    bool playlistDelete(const QString &name, quint32 position);
    bool rename(const QString &from, const QString &to);
    bool removePlaylist(const QString &name);

    struct Impl;

  private:
    explicit Connection(struct mpd_connection *raw);
    // The library's handle while the connection is usable; null once closed.
    mpd_connection *handle() const;
    // After a call answered false: a server refusal is reported and cleared; anything
    // else closes the connection.
    void afterFailure();
    bool ok(bool result);
    // Frees the handle and keeps failure as the connection's error.
    void close(const Failure &failure);
    // The error the library's handle holds now.
    Failure failureOfHandle() const;
    // Refuses the arguments of the next command when they cannot travel; one report.
    bool acceptable(std::initializer_list<QStringView> texts);
    void refuse(const char *message);
    // Ends an answer the budget stopped (too large, or broken): closes the connection
    // with the budget's reason and gives the memory the answer took back.
    void abandon(const ReadBudget &budget);
    // The rest of one exchange whose request was sent (or failed to be): reads every
    // record of the answer with read(connection, budget), then wants a clean end.
    template <class Read> auto answer(bool sent, Read read);

    std::unique_ptr<Impl> d;
    mutable std::recursive_mutex m_mutex;
    mutable std::atomic<std::chrono::steady_clock::rep> m_lastUse{0};
    std::atomic<bool> m_open{false};
    std::function<void(const Failure &)> m_refusalHandler;
    int m_quiet = 0;
};

} // namespace kelvane::mpdc
