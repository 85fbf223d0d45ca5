// The transfer thread against hostile answers: every exchange ends within its limits,
// holds no more than its caps, closes its connection when it ends early, and never
// holds up the other transfers.
#include "core/net/HttpFetch.h"
#include "core/net/HttpTransfer.h"
#include "support/HttpServer.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace kelvane;
using namespace std::chrono_literals;
using kelvane::test::HttpResponse;
using kelvane::test::HttpServer;
using kelvane::test::waitUntil;
using Outcome = FetchResult::Outcome;

TEST(HttpHostileAnswers, EndlessHeaderLinesStopAtTheCapAndCloseTheConnection) {
    HttpServer server;
    server.route("/lines", {.endlessHeader = 4096, .tickMs = 1});
    server.route("/one-line", {.endlessHeader = 4096, .headerInOneLine = true, .tickMs = 1});
    for (const char *path : {"/lines", "/one-line"}) {
        const int closedBefore = server.closedByClient();
        // The cap, not the time-out, ends it: a minute would be plenty to fail the test.
        const FetchResult result = HttpFetch::get(server.url(path), {.timeout = 60s});
        EXPECT_EQ(result.outcome, Outcome::NetworkError) << path;
        EXPECT_EQ(result.failure, FetchResult::Failure::BadResponse) << path;
        EXPECT_TRUE(result.body.isEmpty());
        EXPECT_TRUE(waitUntil([&] { return server.closedByClient() == closedBefore + 1; }))
            << path << ": the connection is closed, nothing more of it is read";
    }
    // A smaller cap holds as well, counting every answer of the exchange.
    server.route("/fat",
                 {.status = 200, .body = "ok", .headers = {{"X-Padding", QByteArray(3000, 'p')}}});
    EXPECT_EQ(HttpFetch::get(server.url("/fat"), {.maxHeaderBytes = 2000}).failure,
              FetchResult::Failure::BadResponse);
    EXPECT_TRUE(HttpFetch::get(server.url("/fat"), {.maxHeaderBytes = 4000}).success());
}

TEST(HttpHostileAnswers, SlowEndlessHeaderEndsAtTheTimeOutAndReleasesTheSocket) {
    HttpServer server;
    // 100 bytes every 50 ms: far below the cap within the time-out.
    server.route("/trickle", {.endlessHeader = 100, .tickMs = 50});
    QElapsedTimer clock;
    clock.start();
    const FetchResult result = HttpFetch::get(server.url("/trickle"), {.timeout = 400ms});
    EXPECT_EQ(result.outcome, Outcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(waitUntil([&] { return server.openConnections() == 0; }));
    EXPECT_EQ(server.closedByClient(), 1);
}

TEST(HttpHostileAnswers, SlowEndlessBodyEndsAtTheTimeOutAndReleasesTheSocket) {
    HttpServer server;
    // 20 bytes every 10 ms: the body cap would take hours to reach.
    server.route("/drip", {.endlessBody = 20, .tickMs = 10});
    const FetchResult result = HttpFetch::get(server.url("/drip"), {.timeout = 500ms});
    EXPECT_EQ(result.outcome, Outcome::TimedOut);
    EXPECT_TRUE(result.body.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return server.openConnections() == 0; }));
}

TEST(HttpHostileAnswers, IdleLimitEndsASilentServerBeforeTheWholeTimeOut) {
    HttpServer server;
    server.route("/hang", {.hang = true});
    server.route("/drip", {.endlessBody = 10, .tickMs = 20});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(HttpFetch::get(server.url("/hang"), {.timeout = 60s, .idleTimeout = 300ms}).outcome,
              Outcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 10000);
    // A trickle is traffic: only the whole time-out ends it.
    EXPECT_EQ(HttpFetch::get(server.url("/drip"), {.timeout = 800ms, .idleTimeout = 300ms}).outcome,
              Outcome::TimedOut);
}

TEST(HttpHostileAnswers, ErrorBodiesHaveTheirOwnCap) {
    HttpServer server;
    server.route("/missing", {.status = 404, .body = QByteArray(5000, 'e')});
    server.route("/endless404", {.status = 404, .endlessBody = 16 * 1024, .tickMs = 1});
    const FetchLimits limits{.maxBodyBytes = 1 << 20, .maxErrorBodyBytes = 1000};
    const FetchResult missing = HttpFetch::get(server.url("/missing"), limits);
    EXPECT_EQ(missing.outcome, Outcome::TooLarge);
    EXPECT_EQ(missing.status, 404);
    const FetchResult endless = HttpFetch::get(server.url("/endless404"), limits);
    EXPECT_EQ(endless.outcome, Outcome::TooLarge);
    EXPECT_EQ(endless.status, 404);
}

TEST(HttpHostileAnswers, OneHostileAnswerDoesNotHoldUpTheOthers) {
    HttpServer hostile;
    hostile.route("/trickle", {.endlessHeader = 100, .tickMs = 20});
    HttpServer good;
    good.route("/page", {.status = 200, .body = "fine"});
    auto stuck = QtConcurrent::run(QThreadPool::globalInstance(), [&] {
        return HttpFetch::get(hostile.url("/trickle"), {.timeout = 3s}).outcome;
    });
    ASSERT_TRUE(waitUntil([&] { return hostile.hits("/trickle") == 1; }));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(HttpFetch::getText(good.url("/page")), QStringLiteral("fine"));
    EXPECT_LT(clock.elapsed(), 2000) << "answered while the hostile one still runs";
    EXPECT_FALSE(stuck.isFinished());
    EXPECT_EQ(stuck.result(), Outcome::TimedOut);
}

TEST(HttpTransfersTest, CancelClosesTheConnectionAndReportsNothing) {
    HttpServer server;
    server.route("/hang", {.hang = true});
    std::atomic<int> finished{0};
    HttpRequest request;
    request.url = server.url("/hang");
    HttpTransfers &transfers = HttpTransfers::shared();
    const int activeBefore = transfers.activeCount();
    const auto id =
        transfers.start(request, {.finished = [&finished](FetchResult) { ++finished; }});
    ASSERT_TRUE(waitUntil([&] { return server.hits("/hang") == 1; }));
    transfers.cancel(id);
    EXPECT_TRUE(waitUntil([&] { return server.closedByClient() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return transfers.activeCount() == activeBefore; }));
    kelvane::test::spin(50);
    EXPECT_EQ(finished.load(), 0);
}

TEST(HttpTransfersTest, OnlyHttpIsFetchedRedirectsIncluded) {
    HttpServer server;
    server.route("/to-file", {.status = 302, .headers = {{"Location", "file:///etc/hostname"}}});
    server.route("/to-ftp", {.status = 301, .headers = {{"Location", "ftp://127.0.0.1/x"}}});
    for (const char *path : {"/to-file", "/to-ftp"}) {
        const FetchResult result = HttpFetch::get(server.url(path));
        EXPECT_FALSE(result.answered()) << path;
        EXPECT_TRUE(result.body.isEmpty()) << path;
    }
    std::atomic<int> outcome{-1};
    HttpRequest request;
    request.url = QUrl(QStringLiteral("file:///etc/hostname"));
    HttpTransfers::shared().start(
        request, {.finished = [&outcome](FetchResult r) { outcome = int(r.outcome); }});
    EXPECT_TRUE(waitUntil([&] { return outcome.load() >= 0; }));
    EXPECT_EQ(outcome.load(), int(Outcome::InvalidAddress));
}

namespace {

// Context switches of the transfer thread so far, from /proc; -1 when it is not found.
long transferThreadSwitches() {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = status.readAll();
        if (!text.startsWith("Name:\tHttpTransfers\n")) continue;
        long total = 0;
        for (const QByteArray &line : text.split('\n'))
            if (line.contains("ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        return total;
    }
    return -1;
}

} // namespace

// An idle window must not be woken by a transfer thread with nothing to do.
TEST(HttpTransfersTest, ThreadSleepsWhileNothingIsUnderWay) {
    HttpServer server;
    server.route("/ok", {.status = 200, .body = "ok"});
    ASSERT_TRUE(HttpFetch::get(server.url("/ok")).success());
    std::this_thread::sleep_for(200ms); // the end of that exchange is behind it
    const long before = transferThreadSwitches();
    ASSERT_GE(before, 0);
    std::this_thread::sleep_for(2500ms);
    EXPECT_LE(transferThreadSwitches() - before, 1) << "woken with nothing under way";
    // A request still wakes it (else it would wait out its time-out and fail).
    EXPECT_TRUE(HttpFetch::get(server.url("/ok"), {.timeout = 5s}).success());
}
