#pragma once

#include "core/mpd/ServerTarget.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
struct Failure;
} // namespace mpdc

// The second connection, for the long reads: the album catalogue, the queue, stored
// playlists and their songs, the saved streams and the database update's checks. They
// run on a thread of their own over this connection, so the poll and the user's commands
// on the first connection never wait behind them. A short read made on another thread
// (an album's songs on a click, the console's commands) gets a connection of its own
// too, so it never waits behind a long read either.
//
// connection() is for any thread; setTarget() and run() are called on the GUI thread.
class MPDBulk {
  public:
    static MPDBulk &sMPDBulk();
    MPDBulk(const MPDBulk &) = delete;
    MPDBulk &operator=(const MPDBulk &) = delete;

    // The connection to the server the first connection reaches, opened (with its
    // password) on first use after each connect and again after a failure; null while
    // not connected, or when it cannot be opened. Blocks while opening.
    std::shared_ptr<mpdc::Connection> connection();

    // The server to read from after a successful connect; none after a disconnect or a
    // lost connection, which also makes a read in flight fail at once.
    void setTarget(const std::optional<ServerTarget> &target);
    std::optional<ServerTarget> target() const;

    // Runs work() on the bulk thread, then done(result) on the GUI thread unless receiver
    // is gone by then. Requests run one at a time, in order.
    template <class Work, class Done> void run(QObject *receiver, Work work, Done done) {
        if (m_inline) {
            done(work());
            return;
        }
        QPointer<QObject> guard(receiver);
        m_pool.start([guard, work = std::move(work), done = std::move(done)]() mutable {
            onBulkThread = true;
            auto result = work();
            // Handed to the application object, and the receiver looked at there: it may
            // be deleted on the GUI thread while this thread finishes.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, done = std::move(done), result = std::move(result)]() mutable {
                    if (guard) done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    // Aborts a read in flight and waits for the bulk thread to be idle (at quit).
    void shutdown();
    // Waits until the requests made so far have run (their answers are then posted to
    // the GUI thread); false on time-out.
    bool waitForDone(int timeoutMs = -1) { return m_pool.waitForDone(timeoutMs); }
    // Tests written for views that read in place: each request runs at once, on the
    // caller's thread, its answer delivered before run() returns.
    void setInline(bool on) { m_inline = on; }

    // Called with the failure when a read closed the connection for a reason of its own
    // (an answer too large, a malformed line): the first connection decides whether the
    // server is gone or the failure is worth an alert of its own.
    void setFailureHandler(std::function<void(const mpdc::Failure &failure)> handler);
    // For readers that just saw their connection close.
    void reportFailure(const mpdc::Connection &connection);
    // Whether a read on connection gave an answer; a failed one (not a refusal, which
    // the connection has reported and cleared) is reported here.
    template <class Answer>
    bool answered(const Answer &answer, const mpdc::Connection &connection) {
        if (answer) return true;
        reportIfFailed(connection);
        return false;
    }

  private:
    MPDBulk();
    void reportIfFailed(const mpdc::Connection &connection);
    ~MPDBulk();

    static inline thread_local bool onBulkThread = false;
    std::shared_ptr<mpdc::Connection> &slot() { return onBulkThread ? m_connection : m_side; }
    std::chrono::steady_clock::time_point &lastUse() {
        return onBulkThread ? m_connectionUse : m_sideUse;
    }
    // mpd closes a connection left unused for a minute (its connection_timeout): one
    // older than this is opened afresh rather than found closed in the middle of a read.
    static constexpr std::chrono::seconds staleAfter{30};

    mutable std::mutex m_mutex;
    std::optional<ServerTarget> m_target;
    quint64 m_generation = 0;
    std::shared_ptr<mpdc::Connection> m_connection; // the bulk thread's
    std::shared_ptr<mpdc::Connection> m_side;       // every other thread's
    std::chrono::steady_clock::time_point m_connectionUse, m_sideUse;
    std::function<void(const mpdc::Failure &)> m_failureHandler;
    QThreadPool m_pool;
    bool m_inline = false;
};

} // namespace kelvane
