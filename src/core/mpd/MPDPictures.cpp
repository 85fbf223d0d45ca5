#include "core/mpd/MPDPictures.h"

#include "core/mpd/ServerConnections.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
int index(mpdc::PictureKind kind) {
    return kind == mpdc::PictureKind::CoverFile ? 0 : 1;
}
ServerConnections &connections() {
    return ServerConnections::sServerConnections();
}
} // namespace

MPDPictures &MPDPictures::sMPDPictures() {
    static MPDPictures instance;
    return instance;
}

MPDPictures::MPDPictures() {
    m_watcher = std::thread([this] { watchDeadlines(); });
}

MPDPictures::~MPDPictures() {
    {
        std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_watcher.join();
}

void MPDPictures::renewConnections() {
    connections().renew(ConnectionRole::Picture);
}

void MPDPictures::setReadDeadline(std::chrono::milliseconds deadline) {
    std::lock_guard guard(m_mutex);
    m_readDeadline = deadline;
}

QString MPDPictures::serverLabel() const {
    const std::optional<ServerTarget> target = connections().target();
    return target ? target->label() : QString();
}

bool MPDPictures::isOffered(mpdc::PictureKind kind) const {
    if (!connections().target()) return false;
    const quint64 session = connections().session();
    std::lock_guard guard(m_mutex);
    return m_refusedIn != session || !m_refused[index(kind)];
}

int MPDPictures::openConnections() const {
    return connections().openCount(ConnectionRole::Picture);
}

void MPDPictures::watchDeadlines() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        const auto now = std::chrono::steady_clock::now();
        std::optional<std::chrono::steady_clock::time_point> next;
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
        if (!late.empty()) {
            lock.unlock();
            for (const auto &connection : late)
                connection->abort();
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
    const quint64 session = connections().session();
    ServerConnections::Lease lease = connections().lend(ConnectionRole::Picture);
    if (!lease) {
        result.outcome = Outcome::Failed;
        return result;
    }
    {
        std::lock_guard guard(m_mutex);
        m_reading.push_back({lease.shared(), std::chrono::steady_clock::now() + m_readDeadline});
    }
    m_changed.notify_all();
    mpdc::PictureResult read;
    {
        mpdc::Connection::QuietRefusals quiet(*lease);
        read = lease->picture(kind, songUri, maxBytes);
    }
    {
        std::lock_guard guard(m_mutex);
        std::erase_if(m_reading, [&](const Reading &r) { return r.connection == lease.shared(); });
    }
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
        if (m_refusedIn != session) {
            m_refusedIn = session;
            m_refused[0] = m_refused[1] = false;
        }
        m_refused[index(kind)] = true;
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
