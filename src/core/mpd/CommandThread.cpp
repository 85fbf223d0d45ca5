#include "core/mpd/CommandThread.h"

namespace kelvane {

CommandThread &CommandThread::sCommandThread() {
    static CommandThread instance;
    return instance;
}

CommandThread::CommandThread() {
    // One thread: the order of the jobs is the order the server sees.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
    m_pool.setObjectName(QStringLiteral("mpd-command"));
}

CommandThread::~CommandThread() {
    m_pool.waitForDone();
}

quint64 CommandThread::post(std::function<void()> job) {
    quint64 number;
    {
        std::lock_guard guard(m_mutex);
        number = ++m_posted;
    }
    const auto run = [this, job = std::move(job)] {
        job();
        {
            std::lock_guard guard(m_mutex);
            ++m_run;
        }
        m_ran.notify_all();
    };
    if (m_inline) {
        // Still after the jobs posted before, should any be on their way.
        waitUntilRun(number - 1);
        const bool was = std::exchange(onCommandThread, true);
        run();
        onCommandThread = was;
        return number;
    }
    m_pool.start([run] {
        onCommandThread = true;
        run();
    });
    return number;
}

quint64 CommandThread::posted() const {
    std::lock_guard guard(m_mutex);
    return m_posted;
}

quint64 CommandThread::pending() const {
    std::lock_guard guard(m_mutex);
    return m_posted - m_run;
}

void CommandThread::waitUntilRun(quint64 count) {
    if (onCommandThread) return;
    std::unique_lock lock(m_mutex);
    m_ran.wait(lock, [&] { return m_run >= count; });
}

bool CommandThread::waitForDone(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    const quint64 count = m_posted;
    if (timeoutMs < 0) {
        m_ran.wait(lock, [&] { return m_run >= count; });
        return true;
    }
    return m_ran.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return m_run >= count; });
}

} // namespace kelvane
