#include "core/mpd/MPDBulk.h"

#include "core/mpd/ServerConnections.h"
#include "mpdc/Connection.h"

namespace kelvane {

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
    m_pool.waitForDone();
}

std::shared_ptr<mpdc::Connection> MPDBulk::connection() {
    if (!onBulkThread) {
        CommandThread &commands = CommandThread::sCommandThread();
        commands.waitUntilRun(commands.posted());
    }
    return ServerConnections::sServerConnections()
        .lend(onBulkThread ? ConnectionRole::Bulk : ConnectionRole::Side)
        .shared();
}

void MPDBulk::setFailureHandler(std::function<void(const mpdc::Failure &)> handler) {
    std::lock_guard guard(m_mutex);
    m_failureHandler = std::move(handler);
}

void MPDBulk::reportFailure(const mpdc::Connection &connection) {
    // A connection let go by a disconnect failed by the stop's own doing.
    if (!ServerConnections::sServerConnections().holds(connection)) return;
    std::function<void(const mpdc::Failure &)> handler;
    {
        std::lock_guard guard(m_mutex);
        handler = m_failureHandler;
    }
    if (handler && connection.isClosed()) handler(connection.failure());
}

void MPDBulk::reportIfFailed(const mpdc::Connection &connection) {
    if (connection.hasError()) reportFailure(connection);
}

} // namespace kelvane
