#include "support/HttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace kelvane::test {

namespace {

struct ReceivedRequest {
    QString target;      // as sent, query included
    QString path;        // target without the query
    QString decodedPath; // path, percent-decoded
    QList<QPair<QByteArray, QByteArray>> headers;
};

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray contentTypeFor(const QString &fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return "image/jpeg";
    if (suffix == QLatin1String("png")) return "image/png";
    if (suffix == QLatin1String("gif")) return "image/gif";
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("m3u") ||
        suffix == QLatin1String("pls"))
        return "text/plain";
    if (suffix == QLatin1String("xml") || suffix == QLatin1String("opml")) return "text/xml";
    return "application/octet-stream";
}

bool matches(const ReceivedRequest &r, const QString &path) {
    return r.target == path || r.path == path || r.decodedPath == path;
}

// A client sending a header block bigger than this is not one of ours.
constexpr qsizetype maxHeaderBytes = 1 << 20;
// An endless body stops being topped up while the client lags this far behind.
constexpr qint64 maxPendingBytes = 1 << 20;

} // namespace

struct HttpServer::Shared {
    mutable QMutex mutex;
    QHash<QString, HttpResponse> routes;
    QList<QPair<QString, QString>> directories; // url prefix, local directory
    HttpResponse fallback{404, "not found"};
    QList<ReceivedRequest> received;
    int open = 0;
    int closedByClient = 0;

    HttpResponse answerFor(const ReceivedRequest &request) {
        QMutexLocker lock(&mutex);
        received.append(request);
        if (auto it = routes.constFind(request.target); it != routes.cend()) return *it;
        if (auto it = routes.constFind(request.path); it != routes.cend()) return *it;
        for (const auto &[prefix, dir] : directories) {
            if (!request.decodedPath.startsWith(prefix)) continue;
            const QString relative = QDir::cleanPath(request.decodedPath.mid(prefix.size()));
            if (relative.startsWith(QLatin1String("..")) ||
                relative.contains(QLatin1String("/../")))
                continue;
            QFile file(QDir(dir).filePath(relative.startsWith(u'/') ? relative.mid(1) : relative));
            if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) continue;
            HttpResponse response;
            response.body = file.readAll();
            response.headers.append({"Content-Type", contentTypeFor(file.fileName())});
            return response;
        }
        return fallback;
    }
};

namespace {

// One client connection; lives on the server thread as a child of its socket.
class Connection : public QObject {
  public:
    Connection(QTcpSocket *socket, std::shared_ptr<HttpServer::Shared> shared)
        : QObject(socket), m_socket(socket), m_shared(std::move(shared)) {
        {
            QMutexLocker lock(&m_shared->mutex);
            ++m_shared->open;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this] {
            m_buffer += m_socket->readAll();
            process();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            {
                QMutexLocker lock(&m_shared->mutex);
                --m_shared->open;
                if (!m_closing) ++m_shared->closedByClient;
            }
            m_socket->deleteLater();
        });
    }

  private:
    void process() {
        while (!m_busy) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                if (m_buffer.size() > maxHeaderBytes) close(true);
                return;
            }
            const QList<QByteArray> lines = m_buffer.left(end).split('\n');
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            ReceivedRequest request;
            request.target = QString::fromUtf8(requestLine.value(1));
            request.path = request.target.section(u'?', 0, 0);
            request.decodedPath = QUrl::fromPercentEncoding(request.path.toUtf8());
            const QByteArray version = requestLine.value(2);
            qint64 contentLength = 0;
            QByteArray connectionHeader;
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon <= 0) continue;
                const QByteArray name = lines[i].left(colon).trimmed();
                const QByteArray value = lines[i].mid(colon + 1).trimmed();
                request.headers.append({name, value});
                if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                    contentLength = value.toLongLong();
                else if (name.compare("Connection", Qt::CaseInsensitive) == 0)
                    connectionHeader = value.toLower();
            }
            if (m_buffer.size() < end + 4 + contentLength) return; // the body is still coming
            m_buffer.remove(0, end + 4 + contentLength);

            const bool keepAlive = version == "HTTP/1.0" ? connectionHeader.contains("keep-alive")
                                                         : !connectionHeader.contains("close");
            const HttpResponse response = m_shared->answerFor(request);
            m_busy = true;
            if (response.hang) return; // never answer, never read on: the socket stays open
            if (response.delayMs > 0) {
                QTimer::singleShot(response.delayMs, this,
                                   [this, response, keepAlive] { send(response, keepAlive); });
                return;
            }
            send(response, keepAlive);
        }
    }

    void close(bool abort) {
        m_closing = true;
        if (abort)
            m_socket->abort();
        else
            m_socket->disconnectFromHost();
    }

    // Writes more of an endless answer every tick, never piling up memory for a client
    // that stopped reading; runs until the client goes.
    void keepWriting(const QByteArray &chunk, int tickMs) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, chunk] {
            if (m_socket->bytesToWrite() < maxPendingBytes) m_socket->write(chunk);
        });
        timer->start(tickMs);
    }

    void sendEndlessHeader(const HttpResponse &response) {
        m_socket->write("HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                        reasonPhrase(response.status) + "\r\n");
        if (response.headerInOneLine) {
            m_socket->write("X-Endless: ");
            keepWriting(QByteArray(response.endlessHeader, 'h'), response.tickMs);
            return;
        }
        // Whole lines of about the chunk's size each.
        const QByteArray line =
            "X-Endless: " + QByteArray(qMax<qint64>(1, response.endlessHeader - 13), 'h') + "\r\n";
        keepWriting(line, response.tickMs);
    }

    void send(const HttpResponse &response, bool keepAlive) {
        if (response.endlessHeader > 0) {
            sendEndlessHeader(response);
            return;
        }
        const bool streamed = response.endlessBody > 0 || response.noContentLength;
        keepAlive = keepAlive && !streamed;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                          reasonPhrase(response.status) + "\r\n";
        bool hasType = false;
        for (const auto &[name, value] : response.headers) {
            hasType = hasType || name.compare("Content-Type", Qt::CaseInsensitive) == 0;
            head += name + ": " + value + "\r\n";
        }
        if (!hasType) head += "Content-Type: application/octet-stream\r\n";
        if (!streamed)
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        head += "\r\n";
        m_socket->write(head);
        m_socket->write(response.body);

        if (response.endlessBody > 0) {
            keepWriting(QByteArray(response.endlessBody, 'x'), response.tickMs);
            return;
        }
        if (!keepAlive) {
            close(false);
            return;
        }
        m_busy = false;
        process();
    }

    QTcpSocket *m_socket;
    std::shared_ptr<HttpServer::Shared> m_shared;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_closing = false; // we close it: not counted as closed by the client
};

} // namespace

// Owns the listening socket; lives on the server thread.
class HttpServer::Worker : public QObject {
  public:
    explicit Worker(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    quint16 listen() {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::LocalHost, 0)) {
            qWarning("HttpServer: cannot listen: %s", qPrintable(m_server->errorString()));
            return 0;
        }
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                socket->setParent(this);
                // Answers go out as headers then body; without this the body's last
                // segment waits ~40 ms for the client's delayed acknowledgement.
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                new Connection(socket, m_shared);
            }
        });
        return m_server->serverPort();
    }

  private:
    std::shared_ptr<Shared> m_shared;
    QTcpServer *m_server = nullptr;
};

HttpServer::HttpServer() : m_shared(std::make_shared<Shared>()), m_thread(new QThread) {
    m_thread->setObjectName(QStringLiteral("HttpServer"));
    m_worker = new Worker(m_shared);
    m_worker->moveToThread(m_thread);
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

HttpServer::~HttpServer() {
    // Sockets and timers must die on the thread that made them.
    QMetaObject::invokeMethod(
        m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

quint16 HttpServer::port() const {
    return m_port;
}

QUrl HttpServer::url(const QString &path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
}

void HttpServer::route(const QString &pathAndQuery, HttpResponse response) {
    QMutexLocker lock(&m_shared->mutex);
    m_shared->routes.insert(pathAndQuery, std::move(response));
}

void HttpServer::serveFile(const QString &path, const QByteArray &body,
                           const QByteArray &contentType) {
    HttpResponse response;
    response.body = body;
    response.headers.append({"Content-Type", contentType});
    route(path, std::move(response));
}

void HttpServer::serveDirectory(const QString &urlPrefix, const QString &dir) {
    QMutexLocker lock(&m_shared->mutex);
    m_shared->directories.append({urlPrefix, dir});
}

void HttpServer::setDefault(HttpResponse response) {
    QMutexLocker lock(&m_shared->mutex);
    m_shared->fallback = std::move(response);
}

int HttpServer::hits(const QString &path) const {
    QMutexLocker lock(&m_shared->mutex);
    int count = 0;
    for (const ReceivedRequest &r : m_shared->received)
        count += matches(r, path) ? 1 : 0;
    return count;
}

QList<QByteArray> HttpServer::requestHeaders(const QString &path, const QByteArray &name) const {
    QMutexLocker lock(&m_shared->mutex);
    QList<QByteArray> values;
    for (const ReceivedRequest &r : m_shared->received) {
        if (!matches(r, path)) continue;
        for (const auto &[headerName, value] : r.headers) {
            if (headerName.compare(name, Qt::CaseInsensitive) == 0) values.append(value);
        }
    }
    return values;
}

QStringList HttpServer::requests() const {
    QMutexLocker lock(&m_shared->mutex);
    QStringList targets;
    for (const ReceivedRequest &r : m_shared->received)
        targets.append(r.target);
    return targets;
}

int HttpServer::openConnections() const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->open;
}

int HttpServer::closedByClient() const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->closedByClient;
}

} // namespace kelvane::test
