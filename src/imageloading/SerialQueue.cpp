#include "imageloading/SerialQueue.h"

#include <pthread.h>

namespace kelvane {

SerialQueue::SerialQueue(const QString &name) : m_name(name) {
    m_thread = std::thread([this] { run(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void SerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void SerialQueue::sync(const std::function<void()> &work) {
    if (isCurrentThread()) {
        work();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneWake;
    bool done = false;
    async([&] {
        work();
        std::lock_guard lock(doneMutex);
        done = true;
        doneWake.notify_all();
    });
    std::unique_lock lock(doneMutex);
    doneWake.wait(lock, [&] { return done; });
}

bool SerialQueue::isCurrentThread() const {
    return std::this_thread::get_id() == m_thread.get_id();
}

void SerialQueue::run() {
    // Thread names are limited to 15 bytes; enough to find the queue in a debugger.
    pthread_setname_np(pthread_self(), m_name.left(15).toUtf8().constData());
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_work.empty(); });
            if (m_work.empty()) return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
    }
}

} // namespace kelvane
