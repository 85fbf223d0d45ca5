#include "imageloading/HeapTrim.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kelvane::heaptrim {

namespace {
using Clock = std::chrono::steady_clock;

std::atomic<int> s_trims{0};

// Waits for work, then for quietMs without work, then trims; for the whole run (never
// joined: it holds nothing that outlives the process).
class Trimmer {
  public:
    void noteWork() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last = Clock::now();
        if (m_pending) return;
        m_pending = true;
        if (!m_started) {
            m_started = true;
            std::thread([this] { run(); }).detach();
        } else {
            m_wake.notify_one();
        }
    }

  private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_pending; });
            // Quiet since the last piece of work, for the whole interval.
            while (Clock::now() - m_last < std::chrono::milliseconds(quietMs))
                m_wake.wait_until(lock, m_last + std::chrono::milliseconds(quietMs));
            m_pending = false;
            lock.unlock();
#ifdef __GLIBC__
            malloc_trim(0);
#endif
            s_trims.fetch_add(1);
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    Clock::time_point m_last;
    bool m_pending = false;
    bool m_started = false;
};

Trimmer &trimmer() {
    static Trimmer *instance = new Trimmer; // lives for the whole run, like its thread
    return *instance;
}
} // namespace

void workEnded() {
    trimmer().noteWork();
}

int trimCount() {
    return s_trims.load();
}

} // namespace kelvane::heaptrim
