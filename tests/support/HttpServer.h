#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QThread;

namespace kelvane::test {

// One canned answer of HttpServer.
struct HttpResponse {
    int status = 200;
    QByteArray body = {};
    // Extra headers; Content-Type defaults to application/octet-stream. (Every field has a
    // default initialiser so that {404, "gone"} compiles without -Wextra warnings.)
    QList<QPair<QByteArray, QByteArray>> headers = {};
    int delayMs = 0;        // wait this long before answering
    bool hang = false;      // take the request, never answer, keep the socket open
    qint64 endlessBody = 0; // >0: headers without Content-Length, then this many bytes every 10 ms
                            // until the client closes
    bool noContentLength = false; // body without Content-Length; the connection closes after it
    // >0: the status line, then header text of this many bytes every 10 ms, never ending the
    // head: as ever more header lines, or with headerInOneLine as one line that never ends.
    qint64 endlessHeader = 0;
    bool headerInOneLine = false;
    int tickMs = 10; // the pace of the endless header and body
};

// A small HTTP/1.1 server on 127.0.0.1 at a free port. It runs on a thread of its own
// with its own event loop, so a test may block its own thread on a synchronous fetch
// while the server keeps answering. Every public method is thread-safe.
class HttpServer {
  public:
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    quint16 port() const;
    // http://127.0.0.1:PORT + path (the path may carry a query).
    QUrl url(const QString &path) const;

    // Exact match on path and query as received (percent-encoding as sent);
    // when none matches, a route on the path alone (without the query) answers.
    void route(const QString &pathAndQuery, HttpResponse response);
    void serveFile(const QString &path, const QByteArray &body,
                   const QByteArray &contentType = "application/octet-stream");
    // Files under dir, addressed by urlPrefix + their relative path (percent-decoded).
    void serveDirectory(const QString &urlPrefix, const QString &dir);
    // Unknown paths answer this; by default 404 "not found".
    void setDefault(HttpResponse response);

    // Requests received whose target, path or decoded path equals path.
    int hits(const QString &path) const;
    // Values of header name (case-insensitive) in the requests that hits() counts.
    QList<QByteArray> requestHeaders(const QString &path, const QByteArray &name) const;
    // Every request target, in order of arrival.
    QStringList requests() const;
    // Client connections open now, and those the client closed (or reset) so far.
    int openConnections() const;
    int closedByClient() const;

    struct Shared;
    class Worker;

  private:
    std::shared_ptr<Shared> m_shared;
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
    quint16 m_port = 0;
};

} // namespace kelvane::test
