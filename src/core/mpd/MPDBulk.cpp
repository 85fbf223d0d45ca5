#include "core/mpd/MPDBulk.h"

#include "core/mpd/MPDServerError.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
constexpr unsigned timeoutMs = 3000;
} // namespace

MPDBulk &MPDBulk::sMPDBulk() {
    static MPDBulk instance;
    return instance;
}

MPDBulk::MPDBulk() {
    // One thread: the connection serialises its exchanges anyway, and requests in order
    // keep an older answer from overtaking a newer one of the same kind.
    m_pool.setMaxThreadCount(1);
    m_pool.setObjectName(QStringLiteral("mpd-bulk"));
}

MPDBulk::~MPDBulk() {
    shutdown();
}

std::shared_ptr<mpdc::Connection> MPDBulk::connection() {
    ServerTarget target;
    quint64 generation;
    {
        std::lock_guard guard(m_mutex);
        if (!m_target) return nullptr;
        const auto now = std::chrono::steady_clock::now();
        if (slot() && !slot()->isClosed() && now - lastUse() < staleAfter) {
            lastUse() = now;
            return slot();
        }
        target = *m_target;
        generation = m_generation;
    }
    // Opened outside the lock: a disconnect on the GUI thread must not wait for it.
    std::shared_ptr<mpdc::Connection> opened = openConnection(target, timeoutMs);
    if (opened->hasError()) return nullptr;
    opened->setRefusalHandler(
        [](const mpdc::Failure &refusal) { MPDServerError::sMPDServerError().report(refusal); });
    std::lock_guard guard(m_mutex);
    if (generation != m_generation) return nullptr; // disconnected (or another server) meanwhile
    slot() = opened;
    lastUse() = std::chrono::steady_clock::now();
    return opened;
}

void MPDBulk::setTarget(const std::optional<ServerTarget> &target) {
    std::shared_ptr<mpdc::Connection> previous, side;
    {
        std::lock_guard guard(m_mutex);
        ++m_generation;
        m_target = target;
        previous = std::move(m_connection);
        side = std::move(m_side);
    }
    // Their holders (reads in flight) free them when done; the reads themselves end now.
    for (const auto &connection : {previous, side})
        if (connection) connection->abort();
}

std::optional<ServerTarget> MPDBulk::target() const {
    std::lock_guard guard(m_mutex);
    return m_target;
}

void MPDBulk::shutdown() {
    setTarget(std::nullopt);
    m_pool.waitForDone();
}

void MPDBulk::setFailureHandler(std::function<void(const mpdc::Failure &)> handler) {
    std::lock_guard guard(m_mutex);
    m_failureHandler = std::move(handler);
}

void MPDBulk::reportFailure(const mpdc::Connection &connection) {
    std::function<void(const mpdc::Failure &)> handler;
    {
        std::lock_guard guard(m_mutex);
        // A connection let go by a disconnect failed by the abort's own doing.
        if (!m_target || (m_connection.get() != &connection && m_side.get() != &connection)) return;
        handler = m_failureHandler;
    }
    if (handler && connection.isClosed()) handler(connection.failure());
}

void MPDBulk::reportIfFailed(const mpdc::Connection &connection) {
    if (connection.hasError()) reportFailure(connection);
}

} // namespace kelvane
