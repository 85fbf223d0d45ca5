#include "core/mpd/MPDIdle.h"

#include "mpdc/Connection.h"

namespace kelvane {

MPDIdle::MPDIdle(QObject *parent) : QObject(parent) {}

MPDIdle::~MPDIdle() {
    stop();
}

bool MPDIdle::start(std::shared_ptr<mpdc::Connection> connection) {
    stop();
    if (!connection || connection->hasError() || !connection->sendIdle(mpdc::Idle::All))
        return false;
    m_connection = std::move(connection);
    m_notifier = std::make_unique<QSocketNotifier>(m_connection->fd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &MPDIdle::onReadable);
    return true;
}

void MPDIdle::stop() {
    // The notifier goes first: it must never watch a socket the connection has closed.
    // Deleted later: this may run inside its own signal.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater();
    }
    m_connection.reset();
}

void MPDIdle::onReadable() {
    if (!m_connection) return;
    const std::optional<unsigned> events = m_connection->receiveIdle();
    if (!events || !m_connection->sendIdle(mpdc::Idle::All)) {
        stop();
        Q_EMIT lost();
        return;
    }
    if (*events) Q_EMIT changed(*events);
}

} // namespace kelvane
