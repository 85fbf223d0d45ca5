// The local HTTP server and the hung listener other tests rely on.
#include "support/HttpServer.h"
#include "support/HungServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kelvane::test;

namespace {

struct RawReply {
    int status = 0;
    QByteArray head;
    QByteArray body;
};

// Parses one answer from socket (with Content-Length), blocking up to timeoutMs.
RawReply readReply(QTcpSocket &socket, int timeoutMs = 3000) {
    RawReply reply;
    QByteArray buffer;
    QElapsedTimer clock;
    clock.start();
    qsizetype end = -1;
    while ((end = buffer.indexOf("\r\n\r\n")) < 0) {
        if (clock.elapsed() > timeoutMs ||
            !socket.waitForReadyRead(timeoutMs - int(clock.elapsed())))
            return reply;
        buffer += socket.readAll();
    }
    reply.head = buffer.left(end);
    reply.status = reply.head.split(' ').value(1).toInt();
    qint64 length = -1;
    for (const QByteArray &line : reply.head.split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    buffer.remove(0, end + 4);
    while (length >= 0 && buffer.size() < length) {
        if (!socket.waitForReadyRead(timeoutMs)) break;
        buffer += socket.readAll();
    }
    reply.body = buffer;
    return reply;
}

RawReply get(quint16 port, const QByteArray &target, int timeoutMs = 3000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(timeoutMs)) return {};
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Test: " + target +
                 "\r\nConnection: close\r\n\r\n");
    return readReply(socket, timeoutMs);
}

} // namespace

TEST(HttpServer, RoutesExactTargetThenPathAndCountsHits) {
    HttpServer server;
    ASSERT_NE(server.port(), 0);
    server.route("/a?x=1", {200, "exact"});
    server.route("/a", {200, "path"});
    server.serveFile("/cover.jpg", "jpegbytes", "image/jpeg");

    EXPECT_EQ(get(server.port(), "/a?x=1").body, "exact");
    EXPECT_EQ(get(server.port(), "/a?x=2").body, "path");
    RawReply cover = get(server.port(), "/cover.jpg");
    EXPECT_EQ(cover.body, "jpegbytes");
    EXPECT_TRUE(cover.head.contains("Content-Type: image/jpeg"));
    RawReply missing = get(server.port(), "/nothing");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "not found");

    EXPECT_EQ(server.hits("/a"), 2);
    EXPECT_EQ(server.hits("/a?x=1"), 1);
    EXPECT_EQ(server.requestHeaders("/a?x=2", "x-test"), QList<QByteArray>{"/a?x=2"});
    EXPECT_EQ(server.requests(), (QStringList{"/a?x=1", "/a?x=2", "/cover.jpg", "/nothing"}));
    EXPECT_EQ(server.url("/p?q=1").toString(),
              QStringLiteral("http://127.0.0.1:%1/p?q=1").arg(server.port()));
}

TEST(HttpServer, DefaultAnswerAndDirectoryWithEncodedNames) {
    HttpServer server;
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Artist/Album é & #"));
    QFile file(dir.filePath("Artist/Album é & #/cover.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("image");
    file.close();
    server.serveDirectory("/music/", dir.path());
    server.setDefault({500, "broken"});

    RawReply cover = get(server.port(), "/music/Artist/Album%20%C3%A9%20%26%20%23/cover.jpg");
    EXPECT_EQ(cover.status, 200);
    EXPECT_EQ(cover.body, "image");
    EXPECT_EQ(get(server.port(), "/music/../etc/passwd").status, 500);
    EXPECT_EQ(get(server.port(), "/elsewhere").status, 500);
    EXPECT_EQ(server.hits("/music/Artist/Album é & #/cover.jpg"), 1);
}

TEST(HttpServer, KeepAliveAnswersSeveralRequestsOnOneConnection) {
    HttpServer server;
    server.route("/one", {200, "1"});
    server.route("/two", {200, "22"});
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(socket.waitForConnected(3000));
    // Pipelined: the second request is already waiting when the first is answered.
    socket.write("GET /one HTTP/1.1\r\nHost: x\r\n\r\nGET /two HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray all;
    while (all.count("HTTP/1.1 200") < 2 || !all.endsWith("22")) {
        ASSERT_TRUE(socket.waitForReadyRead(3000)) << all.constData();
        all += socket.readAll();
    }
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(server.hits("/one"), 1);
    EXPECT_EQ(server.hits("/two"), 1);
}

TEST(HttpServer, DelayHangAndEndlessBody) {
    HttpServer server;
    server.route("/slow", {.status = 200, .body = "late", .delayMs = 300});
    server.route("/hang", {.hang = true});
    server.route("/endless", {.endlessBody = 1000});

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(get(server.port(), "/slow").body, "late");
    EXPECT_GE(clock.elapsed(), 290);

    clock.restart();
    EXPECT_EQ(get(server.port(), "/hang", 400).status, 0);
    EXPECT_GE(clock.elapsed(), 390);
    EXPECT_EQ(server.hits("/hang"), 1);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(socket.waitForConnected(3000));
    socket.write("GET /endless HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray received;
    while (received.size() < 20000 && socket.waitForReadyRead(3000))
        received += socket.readAll();
    EXPECT_GE(received.size(), 20000);
    EXPECT_FALSE(received.contains("Content-Length"));
}

TEST(HttpServer, AnswersQtNetworkWhileTheTestThreadWaits) {
    HttpServer server;
    server.route("/x", {200, "hello", {{"Content-Type", "text/plain"}}});
    QNetworkAccessManager manager;
    for (int i = 0; i < 3; ++i) {
        QNetworkReply *reply = manager.get(QNetworkRequest(server.url("/x")));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_EQ(reply->readAll(), "hello");
        EXPECT_EQ(reply->header(QNetworkRequest::ContentTypeHeader).toString(), "text/plain");
        reply->deleteLater();
    }
    EXPECT_EQ(server.hits("/x"), 3);
}

TEST(HungServer, AcceptsAndNeverAnswers) {
    HungServer server;
    ASSERT_NE(server.port(), 0);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(socket.waitForConnected(3000));
    socket.write("hello\n");
    EXPECT_FALSE(socket.waitForReadyRead(300));
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(server.connections(), 1);
}
