#include "support/HungServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <atomic>

namespace kelvane::test {

// Owns the listener and the accepted sockets; lives on the listener's thread.
class HungServer::Worker : public QObject {
  public:
    quint16 listen() {
        auto *server = new QTcpServer(this);
        if (!server->listen(QHostAddress::LocalHost, 0)) return 0;
        connect(server, &QTcpServer::newConnection, this, [this, server] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                socket->setParent(this);
                ++accepted;
                // Drain what arrives so the client's writes never block; answer nothing.
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return server->serverPort();
    }

    std::atomic<int> accepted{0};
};

HungServer::HungServer() : m_thread(new QThread) {
    m_thread->setObjectName(QStringLiteral("HungServer"));
    m_worker = new Worker;
    m_worker->moveToThread(m_thread);
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

HungServer::~HungServer() {
    QMetaObject::invokeMethod(
        m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

quint16 HungServer::port() const {
    return m_port;
}

int HungServer::connections() const {
    return m_worker->accepted.load();
}

} // namespace kelvane::test
