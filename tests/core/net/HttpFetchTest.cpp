#include "core/net/HttpFetch.h"
#include "support/HttpServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace std::chrono_literals;
using kelvane::test::HttpResponse;
using kelvane::test::HttpServer;
using Outcome = FetchResult::Outcome;

namespace {
// A loopback port nobody listens on.
quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}
} // namespace

TEST(Utf8, ValidTextDecodes) {
    EXPECT_EQ(HttpFetch::decodeUtf8("Caf\xc3\xa9"), QStringLiteral("Café"));
}

TEST(Utf8, InvalidBytesGiveNoText) {
    EXPECT_TRUE(HttpFetch::decodeUtf8("Caf\xe9 Latin-1").isNull());
    EXPECT_TRUE(HttpFetch::decodeUtf8("truncated \xe2\x82").isNull());
}

TEST(Utf8, EmptyBodyIsEmptyTextNotNoText) {
    const QString text = HttpFetch::decodeUtf8(QByteArray());
    EXPECT_FALSE(text.isNull());
    EXPECT_TRUE(text.isEmpty());
}

TEST(HttpFetch, WholeBodyAndStatus) {
    HttpServer server;
    server.route("/page", {.status = 200, .body = "line one\nline two\n"});
    const FetchResult result = HttpFetch::get(server.url("/page"));
    EXPECT_EQ(result.outcome, Outcome::Answered);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, QByteArray("line one\nline two\n"));
    EXPECT_TRUE(result.success());
}

TEST(HttpFetch, ErrorStatusBodyIsReadLikeAnyOther) {
    HttpServer server;
    server.route("/missing", {.status = 404, .body = "<html>Not here</html>"});
    const FetchResult result = HttpFetch::get(server.url("/missing"));
    EXPECT_TRUE(result.answered());
    EXPECT_FALSE(result.success());
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, QByteArray("<html>Not here</html>"));
    EXPECT_EQ(HttpFetch::getText(server.url("/missing")), QStringLiteral("<html>Not here</html>"));
}

TEST(HttpFetch, RedirectIsFollowed) {
    HttpServer server;
    server.route(
        "/old",
        {.status = 302, .body = "", .headers = {{"Location", server.url("/new").toEncoded()}}});
    server.route("/new", {.status = 200, .body = "moved here"});
    const FetchResult result = HttpFetch::get(server.url("/old"));
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, QByteArray("moved here"));
    EXPECT_EQ(server.hits("/new"), 1);
    server.route("/relative", {.status = 301, .body = "", .headers = {{"Location", "/new"}}});
    EXPECT_EQ(HttpFetch::get(server.url("/relative")).body, QByteArray("moved here"));
}

TEST(HttpFetch, RedirectLoopFails) {
    HttpServer server;
    server.route(
        "/loop",
        {.status = 302, .body = "", .headers = {{"Location", server.url("/loop").toEncoded()}}});
    const FetchResult result = HttpFetch::get(server.url("/loop"));
    EXPECT_FALSE(result.answered());
    EXPECT_TRUE(HttpFetch::getText(server.url("/loop")).isNull());
}

TEST(HttpFetch, RedirectToAnotherSchemeFails) {
    HttpServer server;
    server.route("/away",
                 {.status = 302, .body = "", .headers = {{"Location", "file:///etc/passwd"}}});
    EXPECT_FALSE(HttpFetch::get(server.url("/away")).answered());
}

TEST(HttpFetch, RefusedConnectionFails) {
    const FetchResult result =
        HttpFetch::get(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())));
    EXPECT_EQ(result.outcome, Outcome::NetworkError);
    EXPECT_TRUE(result.body.isEmpty());
}

TEST(HttpFetch, AddressesThatAreNotHttpFailAtOnce) {
    for (const char *address : {"0", "", "ftp://127.0.0.1/file", "file:///etc/passwd", "http://"})
        EXPECT_EQ(HttpFetch::get(QUrl(QString::fromLatin1(address))).outcome,
                  Outcome::InvalidAddress)
            << address;
}

TEST(HttpFetch, InvalidUtf8BodyGivesNoText) {
    HttpServer server;
    server.route("/latin1", {.status = 200, .body = "Radio caf\xe9\n"});
    EXPECT_TRUE(HttpFetch::getText(server.url("/latin1")).isNull());
}

TEST(HttpFetchLimits, HangingServerTimesOut) {
    HttpServer server;
    server.route("/hang", {.hang = true});
    QElapsedTimer clock;
    clock.start();
    const FetchResult result = HttpFetch::get(server.url("/hang"), {.timeout = 300ms});
    EXPECT_EQ(result.outcome, Outcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(HttpFetchLimits, TimeOutCoversASlowAnswerNotOnlySilence) {
    HttpServer server;
    server.route("/slow", {.status = 200, .body = "late", .delayMs = 2000});
    EXPECT_EQ(HttpFetch::get(server.url("/slow"), {.timeout = 300ms}).outcome, Outcome::TimedOut);
}

TEST(HttpFetchLimits, EndlessBodyStopsAtTheDefaultCap) {
    HttpServer server;
    server.route("/endless", {.endlessBody = 256 * 1024});
    const FetchResult result = HttpFetch::get(server.url("/endless"));
    EXPECT_EQ(result.outcome, Outcome::TooLarge);
    EXPECT_TRUE(result.body.isEmpty());
}

TEST(HttpFetchLimits, BodyAtTheCapPassesOneMoreByteFails) {
    HttpServer server;
    const FetchLimits limits{.maxBodyBytes = 1000};
    server.route("/exact", {.status = 200, .body = QByteArray(1000, 'a')});
    server.route("/over", {.status = 200, .body = QByteArray(1001, 'a')});
    server.route("/over-unannounced",
                 {.status = 200, .body = QByteArray(1001, 'a'), .noContentLength = true});
    EXPECT_EQ(HttpFetch::get(server.url("/exact"), limits).body.size(), 1000);
    EXPECT_EQ(HttpFetch::get(server.url("/over"), limits).outcome, Outcome::TooLarge);
    EXPECT_EQ(HttpFetch::get(server.url("/over-unannounced"), limits).outcome, Outcome::TooLarge);
}

TEST(HttpFetch, WorksOnPoolThreadsSideBySide) {
    HttpServer server;
    server.route("/a", {.status = 200, .body = "first", .delayMs = 100});
    server.route("/b", {.status = 200, .body = "second", .delayMs = 100});
    auto a = QtConcurrent::run(QThreadPool::globalInstance(),
                               [&] { return HttpFetch::getText(server.url("/a")); });
    auto b = QtConcurrent::run(QThreadPool::globalInstance(),
                               [&] { return HttpFetch::getText(server.url("/b")); });
    EXPECT_EQ(a.result(), QStringLiteral("first"));
    EXPECT_EQ(b.result(), QStringLiteral("second"));
}
