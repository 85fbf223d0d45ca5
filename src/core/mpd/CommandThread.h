#pragma once

#include <QThreadPool>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kelvane {

// The thread the command connection is used on: the user's commands and the status reads
// run there one at a time, in the order they were posted, so the GUI thread never waits
// on the server and a command never overtakes an earlier one. A job never waits for the
// GUI thread; what it learnt is handed there (MPDSocket::send). Reads on the other
// connections that must see the commands sent before them wait for those first
// (waitUntilRun). post() from any thread.
class CommandThread {
  public:
    static CommandThread &sCommandThread();
    CommandThread(const CommandThread &) = delete;
    CommandThread &operator=(const CommandThread &) = delete;

    // Queues job after every job posted before it; answers its number (1, 2, ...).
    quint64 post(std::function<void()> job);
    // How many jobs were posted so far, and how many of them have not run yet.
    quint64 posted() const;
    quint64 pending() const;
    // Blocks until the first `count` jobs have run. At once on the command thread itself,
    // whose jobs are in order already.
    void waitUntilRun(quint64 count);
    // Until every job posted so far has run; false on time-out.
    bool waitForDone(int timeoutMs = -1);
    bool isCurrent() const { return onCommandThread; }

    // Tests written for views that look right after each step: each job runs at once, on
    // the caller's thread, and its answer is applied before post() returns.
    void setInline(bool on) { m_inline = on; }
    bool isInline() const { return m_inline; }

  private:
    CommandThread();
    ~CommandThread();

    static inline thread_local bool onCommandThread = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_ran;
    quint64 m_posted = 0;
    quint64 m_run = 0;
    bool m_inline = false;
    QThreadPool m_pool;
};

} // namespace kelvane
