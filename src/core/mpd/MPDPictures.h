#pragma once

#include "core/mpd/ServerTarget.h"
#include "mpdc/Records.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kelvane {

namespace mpdc {
class Connection;
}

// Covers from the server itself: the cover file beside a song and the picture embedded
// in it, read over connections of their own (at most two, opened on demand with the
// password, closed after 30 s without use), never the first connection: the poll and
// the user's commands never wait behind a picture. A step the server refuses (too old,
// or a permission) is not asked again for the session, without an alert.
// fetch() is for any thread (the image loader's workers); setTarget() for the GUI thread.
class MPDPictures {
  public:
    static MPDPictures &sMPDPictures();
    MPDPictures(const MPDPictures &) = delete;
    MPDPictures &operator=(const MPDPictures &) = delete;

    enum class Outcome { Found, None, Unavailable, TooLarge, Failed };
    struct Result {
        Outcome outcome = Outcome::Failed;
        QByteArray bytes;
    };
    // Blocks until the picture is read (bounded by the connection's time-out).
    Result fetch(mpdc::PictureKind kind, const QString &songUri, qsizetype maxBytes);

    // The server to read from (after a connect), or none; forgets refused steps.
    void setTarget(const std::optional<ServerTarget> &target);
    // "host:port" or the socket path of the current server, for cache keys; empty
    // when not connected.
    QString serverLabel() const;
    // Later reads go over new connections (reads in flight finish on theirs). mpd keeps
    // its last cover file look-up per connection, a miss included: after the library
    // changed, an old connection can still answer "none" for a cover added since.
    void renewConnections();
    bool isOffered(mpdc::PictureKind kind) const;

    static constexpr int maxConnections = 2;
    static constexpr std::chrono::seconds idleClose{30};
    // A whole picture, however many chunks, like a web download's time-out.
    static constexpr std::chrono::milliseconds defaultReadDeadline{15000};
    void setReadDeadline(std::chrono::milliseconds deadline);
    // Connections open now (tests).
    int openConnections() const;

  private:
    MPDPictures();
    ~MPDPictures();
    struct Slot {
        std::shared_ptr<mpdc::Connection> connection;
        std::chrono::steady_clock::time_point lastUse;
        bool busy = false;
    };
    std::shared_ptr<mpdc::Connection> acquire(quint64 &generation);
    void release(const std::shared_ptr<mpdc::Connection> &connection, quint64 generation);
    void reap();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<ServerTarget> m_target;
    quint64 m_generation = 0;
    std::vector<Slot> m_slots;
    struct Reading {
        std::shared_ptr<mpdc::Connection> connection;
        std::chrono::steady_clock::time_point deadline;
        bool aborted = false;
    };
    std::vector<Reading> m_reading;
    std::chrono::milliseconds m_readDeadline = defaultReadDeadline;
    int m_opening = 0;
    bool m_refused[2] = {false, false};
    bool m_stopping = false;
    std::thread m_reaper;
};

} // namespace kelvane
