#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace kelvane {

namespace mpdc {
class Connection;
}

// The idle connection (ServerConnections): it sits in the server's "idle" and wakes
// the client the moment something changes, so nothing has to be asked ten times a
// second. The socket is watched by the GUI thread's event loop; an answer is read only
// once it has arrived. GUI thread.
class MPDIdle : public QObject {
    Q_OBJECT
  public:
    explicit MPDIdle(QObject *parent = nullptr);
    ~MPDIdle() override;

    // Takes an open connection and starts waiting on it; false when the first request
    // fails.
    bool start(std::shared_ptr<mpdc::Connection> connection);
    void stop();
    bool isActive() const { return m_connection != nullptr; }

  Q_SIGNALS:
    // mpdc::Idle bits of what changed.
    void changed(unsigned events);
    // The connection broke (the server gone, most likely); the watcher has stopped.
    void lost();

  private:
    void onReadable();

    std::shared_ptr<mpdc::Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kelvane
