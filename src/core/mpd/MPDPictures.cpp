#include "core/mpd/MPDPictures.h"

#include "mpdc/Connection.h"

namespace kelvane {

namespace {
constexpr unsigned timeoutMs = 3000;
constexpr quint32 binaryLimit = 1 << 20;
int index(mpdc::PictureKind kind) {
    return kind == mpdc::PictureKind::CoverFile ? 0 : 1;
}
} // namespace

MPDPictures &MPDPictures::sMPDPictures() {
    static MPDPictures instance;
    return instance;
}

MPDPictures::MPDPictures() {
    // Sleeps until a connection could grow stale: no wake-ups while nothing is open.
    m_reaper = std::thread([this] { reap(); });
}

MPDPictures::~MPDPictures() {
    {
        std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_reaper.join();
}

void MPDPictures::setTarget(const std::optional<ServerTarget> &target) {
    std::vector<Slot> previous;
    {
        std::lock_guard guard(m_mutex);
        if (target == m_target) return;
        ++m_generation;
        m_target = target;
        m_refused[0] = m_refused[1] = false;
        previous.swap(m_slots);
    }
    // A read in flight keeps its connection until it ends; it ends now.
    for (Slot &slot : previous)
        slot.connection->abort();
    m_changed.notify_all();
}

void MPDPictures::renewConnections() {
    std::vector<Slot> previous;
    {
        std::lock_guard guard(m_mutex);
        ++m_generation;
        previous.swap(m_slots);
    }
    m_changed.notify_all();
    // Closed here, outside the lock; a busy one lives on in its reader until released.
}

void MPDPictures::setReadDeadline(std::chrono::milliseconds deadline) {
    std::lock_guard guard(m_mutex);
    m_readDeadline = deadline;
}

QString MPDPictures::serverLabel() const {
    std::lock_guard guard(m_mutex);
    return m_target ? m_target->label() : QString();
}

bool MPDPictures::isOffered(mpdc::PictureKind kind) const {
    std::lock_guard guard(m_mutex);
    return m_target && !m_refused[index(kind)];
}

int MPDPictures::openConnections() const {
    std::lock_guard guard(m_mutex);
    return int(m_slots.size());
}

std::shared_ptr<mpdc::Connection> MPDPictures::acquire(quint64 &generation) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_target || m_stopping) return nullptr;
        for (Slot &slot : m_slots) {
            if (!slot.busy && !slot.connection->isClosed()) {
                slot.busy = true;
                generation = m_generation;
                return slot.connection;
            }
        }
        std::erase_if(m_slots, [](const Slot &s) { return !s.busy && s.connection->isClosed(); });
        if (int(m_slots.size()) + m_opening < maxConnections) break;
        m_changed.wait(lock);
    }
    ++m_opening;
    const ServerTarget target = *m_target;
    generation = m_generation;
    lock.unlock();
    std::shared_ptr<mpdc::Connection> opened = openConnection(target, timeoutMs);
    if (!opened->hasError()) {
        // mpd reads the song's tags again for every chunk: with its default 8 KiB chunks
        // a 200 KiB embedded picture cost 52 ms, with 1 MiB chunks 2 ms (bench_mpdcovers).
        // A server too old for the command refuses it and keeps its default.
        mpdc::Connection::QuietRefusals quiet(*opened);
        opened->setBinaryLimit(binaryLimit);
    }
    lock.lock();
    --m_opening;
    m_changed.notify_all();
    if (opened->hasError() || generation != m_generation) return nullptr;
    m_slots.push_back({opened, std::chrono::steady_clock::now(), true});
    return opened;
}

void MPDPictures::release(const std::shared_ptr<mpdc::Connection> &connection, quint64 generation) {
    {
        std::lock_guard guard(m_mutex);
        if (generation == m_generation) {
            for (Slot &slot : m_slots) {
                if (slot.connection == connection) {
                    slot.busy = false;
                    slot.lastUse = std::chrono::steady_clock::now();
                }
            }
        }
    }
    m_changed.notify_all();
}

void MPDPictures::reap() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        const auto now = std::chrono::steady_clock::now();
        std::optional<std::chrono::steady_clock::time_point> next;
        std::vector<std::shared_ptr<mpdc::Connection>> stale;
        // A picture still arriving at its deadline (a server that dribbles, a chunk at
        // a time within each read's time-out) ends like a web download that runs late.
        std::vector<std::shared_ptr<mpdc::Connection>> late;
        for (Reading &reading : m_reading) {
            if (reading.aborted) continue; // its reader is about to take it off the list
            if (now >= reading.deadline) {
                reading.aborted = true;
                late.push_back(reading.connection);
            } else {
                next = std::min(next.value_or(reading.deadline), reading.deadline);
            }
        }
        std::erase_if(m_slots, [&](const Slot &slot) {
            if (slot.busy) return false;
            if (now - slot.lastUse >= idleClose) {
                stale.push_back(slot.connection);
                return true;
            }
            next = std::min(next.value_or(slot.lastUse + idleClose), slot.lastUse + idleClose);
            return false;
        });
        if (!stale.empty() || !late.empty()) {
            lock.unlock();
            stale.clear(); // closed outside the lock
            for (const auto &connection : late)
                connection->abort();
            late.clear();
            lock.lock();
            continue;
        }
        if (next)
            m_changed.wait_until(lock, *next);
        else
            m_changed.wait(lock);
    }
}

MPDPictures::Result MPDPictures::fetch(mpdc::PictureKind kind, const QString &songUri,
                                       qsizetype maxBytes) {
    Result result;
    if (!isOffered(kind)) {
        result.outcome = Outcome::Unavailable;
        return result;
    }
    quint64 generation = 0;
    const std::shared_ptr<mpdc::Connection> connection = acquire(generation);
    if (!connection) {
        result.outcome = Outcome::Failed;
        return result;
    }
    mpdc::PictureResult read;
    {
        std::lock_guard guard(m_mutex);
        m_reading.push_back({connection, std::chrono::steady_clock::now() + m_readDeadline});
    }
    m_changed.notify_all();
    {
        mpdc::Connection::QuietRefusals quiet(*connection);
        read = connection->picture(kind, songUri, maxBytes);
    }
    {
        std::lock_guard guard(m_mutex);
        std::erase_if(m_reading, [&](const Reading &r) { return r.connection == connection; });
    }
    release(connection, generation);
    switch (read.outcome) {
    case mpdc::PictureResult::Found:
        result.outcome = Outcome::Found;
        result.bytes = std::move(read.bytes);
        break;
    case mpdc::PictureResult::None:
        result.outcome = Outcome::None;
        break;
    case mpdc::PictureResult::Refused: {
        std::lock_guard guard(m_mutex);
        if (generation == m_generation) m_refused[index(kind)] = true;
        result.outcome = Outcome::Unavailable;
        break;
    }
    case mpdc::PictureResult::TooLarge:
        result.outcome = Outcome::TooLarge;
        break;
    case mpdc::PictureResult::Broken:
        result.outcome = Outcome::Failed;
        break;
    }
    return result;
}

} // namespace kelvane
