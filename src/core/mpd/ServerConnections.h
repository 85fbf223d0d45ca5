#pragma once

#include "core/mpd/ServerTarget.h"
#include "mpdc/Records.h"

#include <QString>
#include <QThreadPool>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kelvane {

namespace mpdc {
class Connection;
}

// Who uses a connection, and on which thread:
//   Command  the user's commands and the status reads, on the command thread (CommandThread)
//   Idle     the server's "idle", its socket watched by the GUI thread's event loop (MPDIdle)
//   Bulk     the long reads (catalogue, queue, playlists, streams), on the bulk thread (MPDBulk)
//   Side     short reads made on any other thread (the console's, a test's)
//   Picture  cover files and embedded pictures, on the image loader's workers (MPDPictures)
enum class ConnectionRole { Command, Idle, Bulk, Side, Picture };

// The one owner of every connection to the server: where they go (the server and its
// password, taken once per connect), how long an exchange may take, how one is opened
// (greeting, TCP_NODELAY, then the session's set-up), when an unused one is renewed, and
// closing them all. MPDSocket starts and stops it with the link; the users above lend a
// connection by role, each on its own thread, so no two roles ever wait for one another.
// Any thread.
class ServerConnections {
  public:
    static ServerConnections &sServerConnections();
    ServerConnections(const ServerConnections &) = delete;
    ServerConnections &operator=(const ServerConnections &) = delete;

    // The bound of the greeting and of every exchange, on every connection.
    static constexpr unsigned timeoutMs = 3000;
    // mpd closes a connection that has said nothing for a minute (its connection_timeout):
    // one unused for half of that is opened afresh before its next use, rather than found
    // closed in the middle of a read. No timer, no ping: a connection nobody uses costs
    // nothing, and the idle connection needs none (mpd never times out a client in idle).
    static constexpr std::chrono::seconds renewAfter{30};
    static constexpr int maxPictureConnections = 2;
    static constexpr quint32 pictureChunkBytes = 1 << 20;

    // What every connection runs right after the greeting, in order, before anything else
    // is sent on it: the session's set-up. The password is the first step; another (mpd's
    // partitions are per connection: "partition NAME") is added after it. A step answers
    // false when it failed and closed the connection, which keeps the server's message.
    using SessionStep =
        std::function<bool(mpdc::Connection &connection, const ServerTarget &target)>;
    void addSessionStep(SessionStep step);
    static bool sendPassword(mpdc::Connection &connection, const ServerTarget &target);

    // Opens a connection to target and runs the session's set-up; never null. On failure
    // it is closed and holds the message (hasError()). Blocks up to the time-out.
    std::shared_ptr<mpdc::Connection> open(const ServerTarget &target) const;
    // The same on the owner's opening thread (a server that takes the connection and never
    // greets holds it for the whole time-out), then done(connection) on that thread.
    using Opened = std::function<void(std::shared_ptr<mpdc::Connection> connection)>;
    void openLater(const ServerTarget &target, Opened done);
    // Opens the idle connection of the current session there; done gets null when it
    // could not be opened or the session ended meanwhile.
    void openIdleLater(Opened done);

    // After a connect: the server every role goes to from now on, and the command
    // connection that was opened to it.
    void start(const ServerTarget &target, std::shared_ptr<mpdc::Connection> command);
    // Lets every connection go; a read in flight on one ends at once. Their holders free
    // them when done.
    void stop();
    std::optional<ServerTarget> target() const;
    // Changes at every start and stop: what was learnt about a server (a step it refuses)
    // is only worth keeping while this stays the same.
    quint64 session() const;

    // A connection lent for one use (or a run of uses) by its role. Pictures are lent one
    // reader at a time; the other roles share theirs (its lock serialises them).
    class Lease {
      public:
        Lease() = default;
        Lease(Lease &&other) noexcept;
        Lease &operator=(Lease &&other) noexcept;
        ~Lease();
        explicit operator bool() const { return m_connection != nullptr; }
        mpdc::Connection *operator->() const { return m_connection.get(); }
        mpdc::Connection &operator*() const { return *m_connection; }
        const std::shared_ptr<mpdc::Connection> &shared() const { return m_connection; }
        // Why there is no connection when one could not be opened; none when stopped.
        const std::optional<mpdc::Failure> &failure() const { return m_failure; }

      private:
        friend class ServerConnections;
        std::shared_ptr<mpdc::Connection> m_connection;
        std::optional<mpdc::Failure> m_failure;
        ServerConnections *m_owner = nullptr; // set while a picture reader holds it
    };
    // The connection of role, opened on first use and renewed once unused for
    // renewAfter; none when stopped or when it cannot be opened. Blocks while opening
    // (and, for a picture, while both are lent).
    Lease lend(ConnectionRole role);
    // The next lend of role opens a new connection (the ones lent now finish on theirs).
    void renew(ConnectionRole role);
    // The command connection as it stands (possibly closed); null when stopped.
    std::shared_ptr<mpdc::Connection> commandConnection() const;
    // Whether connection is one this owner still holds: one let go by stop() failed by
    // the stop's own doing.
    bool holds(const mpdc::Connection &connection) const;
    // Connections open now for role (tests).
    int openCount(ConnectionRole role) const;

  private:
    ServerConnections();
    ~ServerConnections();
    struct Slot {
        std::shared_ptr<mpdc::Connection> connection;
        bool lent = false; // pictures only
    };
    Slot *usable(ConnectionRole role); // under the lock
    void giveBack(const std::shared_ptr<mpdc::Connection> &connection);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<ServerTarget> m_target;
    quint64 m_session = 0;
    Slot m_command, m_idle, m_bulk, m_side;
    std::vector<Slot> m_pictures;
    int m_openingPictures = 0;
    std::vector<SessionStep> m_sessionSteps{&ServerConnections::sendPassword};
    QThreadPool m_opener;
};

} // namespace kelvane
