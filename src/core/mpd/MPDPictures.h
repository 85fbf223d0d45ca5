#pragma once

#include "core/mpd/ServerConnections.h"
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
// in it, read over the picture connections (at most two), never the command connection:
// the status reads and the user's commands never wait behind a picture. A step the server
// refuses (too old, or a permission) is not asked again for the session, without an alert.
// fetch() is for any thread (the image loader's workers).
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
    // Blocks until the picture is read (bounded by the connection's time-out and by the
    // read deadline).
    Result fetch(mpdc::PictureKind kind, const QString &songUri, qsizetype maxBytes);

    // "host:port" or the socket path of the current server, for cache keys; empty
    // when not connected.
    QString serverLabel() const;
    // Later reads go over new connections (reads in flight finish on theirs). mpd keeps
    // its last cover file look-up per connection, a miss included: after the library
    // changed, an old connection can still answer "none" for a cover added since.
    void renewConnections();
    bool isOffered(mpdc::PictureKind kind) const;

    static constexpr int maxConnections = ServerConnections::maxPictureConnections;
    // A whole picture, however many chunks, like a web download's time-out.
    static constexpr std::chrono::milliseconds defaultReadDeadline{15000};
    void setReadDeadline(std::chrono::milliseconds deadline);
    // Connections open now (tests).
    int openConnections() const;

  private:
    MPDPictures();
    ~MPDPictures();
    // Ends the reads that run past their deadline; sleeps while none runs.
    void watchDeadlines();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    struct Reading {
        std::shared_ptr<mpdc::Connection> connection;
        std::chrono::steady_clock::time_point deadline;
        bool aborted = false;
    };
    std::vector<Reading> m_reading;
    std::chrono::milliseconds m_readDeadline = defaultReadDeadline;
    // Steps the server refused, for the session they were refused in.
    quint64 m_refusedIn = 0;
    bool m_refused[2] = {false, false};
    bool m_stopping = false;
    std::thread m_watcher;
};

} // namespace kelvane
