#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvane {

// One worker thread running submitted work strictly in order (the image cache's disk
// queue). Built on a plain thread rather than a thread pool because a pool may run a
// waited-for task on the waiting thread, out of order.
class SerialQueue {
  public:
    explicit SerialQueue(const QString &name);
    // Runs what is queued, then joins the thread.
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    void async(std::function<void()> work);
    // Runs work on the queue after everything queued before it and waits for it. Called
    // from the queue's own thread it runs at once instead of deadlocking.
    void sync(const std::function<void()> &work);
    bool isCurrentThread() const;

  private:
    void run();

    QString m_name;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace kelvane
