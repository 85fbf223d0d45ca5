#pragma once

#include "core/mpd/CommandThread.h"
#include "core/thread/MainThread.h"

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <mutex>

namespace kelvane {

namespace mpdc {
class Connection;
struct Failure;
} // namespace mpdc

// The long reads: the album catalogue, the queue, stored playlists and their songs, the
// saved streams and the database update's looks. They run one at a time on the bulk
// thread, over a connection of its own, so the commands and the status reads never wait
// behind them. A read waits first for the commands sent before it was asked, so it sees
// what they did.
//
// run() on the GUI thread; connection() on any thread: on the bulk thread it is the bulk
// connection, elsewhere (the console's reads, a test's) the side connection.
class MPDBulk {
  public:
    static MPDBulk &sMPDBulk();
    MPDBulk(const MPDBulk &) = delete;
    MPDBulk &operator=(const MPDBulk &) = delete;

    // The connection for reads on this thread, after the commands sent so far; null
    // while not connected, or when it cannot be opened. Blocks while opening.
    std::shared_ptr<mpdc::Connection> connection();

    // Runs work() on the bulk thread, then done(result) on the GUI thread unless receiver
    // is gone by then. Requests run one at a time, in order.
    template <class Work, class Done> void run(QObject *receiver, Work work, Done done) {
        if (m_inline) {
            done(work());
            return;
        }
        const quint64 commandsBefore = CommandThread::sCommandThread().posted();
        m_pool.start(
            [receiver, commandsBefore, work = std::move(work), done = std::move(done)]() mutable {
                onBulkThread = true;
                CommandThread::sCommandThread().waitUntilRun(commandsBefore);
                auto result = std::make_shared<decltype(work())>(work());
                postToMainThread(receiver, [done = std::move(done), result]() mutable {
                    done(std::move(*result));
                });
            });
    }

    // Waits until the requests made so far have run (their answers are then posted to
    // the GUI thread); false on time-out.
    bool waitForDone(int timeoutMs = -1) { return m_pool.waitForDone(timeoutMs); }
    // Tests written for views that read in place: each request runs at once, on the
    // caller's thread, its answer delivered before run() returns.
    void setInline(bool on) { m_inline = on; }

    // Called with the failure when a read closed the connection for a reason of its own
    // (an answer too large, a malformed line): MPDSocket decides whether the server is
    // gone or the failure is worth an alert of its own.
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
    ~MPDBulk();
    void reportIfFailed(const mpdc::Connection &connection);

    static inline thread_local bool onBulkThread = false;
    std::mutex m_mutex;
    std::function<void(const mpdc::Failure &)> m_failureHandler;
    QThreadPool m_pool;
    bool m_inline = false;
};

} // namespace kelvane
