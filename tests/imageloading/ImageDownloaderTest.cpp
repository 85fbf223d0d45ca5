#include "ImageTestData.h"

#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageDownloaderOperation.h"
#include "support/HttpServer.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {
struct Result {
    int calls = 0;
    QImage image;
    QByteArray data;
    ImageError error;
    bool finished = false;
};

ImageDownloaderCompleted into(Result &r) {
    return
        [&r](const QImage &image, const QByteArray &data, const ImageError &error, bool finished) {
            ++r.calls;
            r.image = image;
            r.data = data;
            r.error = error;
            r.finished = finished;
        };
}

class ImageDownloaderTest : public ::testing::Test {
  protected:
    HttpServer server;
    ImageDownloader downloader;
};
} // namespace

TEST_F(ImageDownloaderTest, DownloadsDecodesAndSendsOurHeaders) {
    const QByteArray jpeg = jpegBytes(40, 30);
    server.serveFile(QStringLiteral("/a/cover.jpg"), jpeg, "image/jpeg");
    QSignalSpy started(&downloader, &ImageDownloader::downloadStarted);
    QSignalSpy finishedSpy(&downloader, &ImageDownloader::downloadFinished);
    QSignalSpy stopped(&downloader, &ImageDownloader::downloadStopped);
    QSignalSpy response(&downloader, &ImageDownloader::downloadReceivedResponse);
    QList<QPair<qint64, qint64>> progress;
    Result r;
    auto token = downloader.downloadImageWithURL(
        server.url(QStringLiteral("/a/cover.jpg")), 0,
        [&](qint64 got, qint64 expected, const QUrl &) {
            progress.append({got, expected});
        },
        into(r));
    ASSERT_NE(token, nullptr);
    ASSERT_TRUE(waitUntil([&] { return r.calls > 0; }));
    EXPECT_TRUE(r.error.isNull()) << r.error.description.toStdString();
    EXPECT_EQ(r.image.size(), QSize(40, 30));
    EXPECT_EQ(r.data, jpeg);
    EXPECT_TRUE(r.finished);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.first(), qMakePair(qint64(0), qint64(-1)));
    EXPECT_EQ(progress.last(), qMakePair(qint64(jpeg.size()), qint64(jpeg.size())));
    EXPECT_TRUE(waitUntil([&] { return finishedSpy.size() == 1; }));
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(response.size(), 1);
    EXPECT_EQ(stopped.size(), 1);
    EXPECT_EQ(started.first().first().toUrl(), server.url(QStringLiteral("/a/cover.jpg")));

    EXPECT_EQ(server.requestHeaders(QStringLiteral("/a/cover.jpg"), "User-Agent"),
              QList<QByteArray>{"Kelvane for MacOS)"});
    EXPECT_EQ(server.requestHeaders(QStringLiteral("/a/cover.jpg"), "Accept"),
              QList<QByteArray>{"image/*;q=0.8"});
}

TEST_F(ImageDownloaderTest, NoUrlAnswersAtOnceWithoutToken) {
    Result r;
    EXPECT_EQ(downloader.downloadImageWithURL(QUrl(), 0, {}, into(r)), nullptr);
    EXPECT_EQ(r.calls, 1);
    EXPECT_TRUE(r.error.isNull());
    EXPECT_FALSE(r.finished);
}

TEST_F(ImageDownloaderTest, OneDownloadPerUrlAndTokensWithdrawAlone) {
    server.route(QStringLiteral("/slow.jpg"), HttpResponse{.body = jpegBytes(), .delayMs = 300});
    const QUrl url = server.url(QStringLiteral("/slow.jpg"));
    Result first, second;
    auto t1 = downloader.downloadImageWithURL(url, 0, {}, into(first));
    auto t2 = downloader.downloadImageWithURL(url, 0, {}, into(second));
    EXPECT_EQ(t1->downloadOperation(), t2->downloadOperation());
    EXPECT_NE(t1->downloadOperationCancelToken(), t2->downloadOperationCancelToken());
    t1->cancel();
    ASSERT_TRUE(waitUntil([&] { return second.calls > 0; }));
    EXPECT_FALSE(second.image.isNull());
    spin(50);
    EXPECT_EQ(first.calls, 0) << "a withdrawn caller hears nothing more";
    EXPECT_EQ(server.hits(QStringLiteral("/slow.jpg")), 1);

    // Both withdrawn: the download itself stops, nobody is called.
    server.route(QStringLiteral("/hang.jpg"), HttpResponse{.hang = true});
    const QUrl hang = server.url(QStringLiteral("/hang.jpg"));
    Result a, b;
    auto ta = downloader.downloadImageWithURL(hang, 0, {}, into(a));
    auto tb = downloader.downloadImageWithURL(hang, 0, {}, into(b));
    ASSERT_TRUE(waitUntil([&] { return server.hits(QStringLiteral("/hang.jpg")) == 1; }));
    auto operation = ta->downloadOperation();
    ta->cancel();
    EXPECT_FALSE(operation->isCancelled());
    tb->cancel();
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_TRUE(waitUntil([&] { return downloader.currentDownloadCount() == 0; }));
    spin(50);
    EXPECT_EQ(a.calls + b.calls, 0);
}

TEST_F(ImageDownloaderTest, RejectedAnswersEndAsCancelled) {
    server.route(QStringLiteral("/missing.jpg"), HttpResponse{.status = 404, .body = "nope"});
    server.route(QStringLiteral("/same.jpg"), HttpResponse{.status = 304});
    server.route(QStringLiteral("/error.jpg"), HttpResponse{.status = 500, .body = jpegBytes()});
    // A refused answer with an endless body is cut off, not read to the end.
    server.route(QStringLiteral("/endless404.jpg"),
                 HttpResponse{.status = 404, .endlessBody = 16 * 1024});
    for (const char *path : {"/missing.jpg", "/same.jpg", "/error.jpg", "/endless404.jpg"}) {
        Result r;
        downloader.downloadImageWithURL(server.url(QString::fromLatin1(path)), 0, {}, into(r));
        ASSERT_TRUE(waitUntil([&] { return r.calls > 0; })) << path;
        EXPECT_EQ(r.error.domain, ImageError::URLErrorDomain) << path;
        EXPECT_EQ(r.error.code, -999) << path;
        EXPECT_TRUE(r.image.isNull());
        EXPECT_TRUE(r.finished);
    }
}

TEST_F(ImageDownloaderTest, BodiesThatAreNotImagesFailWithImageErrors) {
    server.route(QStringLiteral("/empty.jpg"), HttpResponse{.body = QByteArray()});
    server.route(QStringLiteral("/text.jpg"), HttpResponse{.body = "<html>not a cover</html>"});
    Result empty, text;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/empty.jpg")), 0, {}, into(empty));
    downloader.downloadImageWithURL(server.url(QStringLiteral("/text.jpg")), 0, {}, into(text));
    ASSERT_TRUE(waitUntil([&] { return empty.calls > 0 && text.calls > 0; }));
    EXPECT_EQ(empty.error.domain, QStringLiteral("ImageErrorDomain"));
    EXPECT_EQ(empty.error.code, 0);
    EXPECT_EQ(empty.error.description, QStringLiteral("Image data is nil"));
    EXPECT_EQ(text.error.domain, QStringLiteral("ImageErrorDomain"));
    EXPECT_EQ(text.error.description, QStringLiteral("Downloaded image has 0 pixels"));
}

TEST_F(ImageDownloaderTest, TimeOutIsReportedAsTimedOut) {
    downloader.setDownloadTimeout(0.3);
    server.route(QStringLiteral("/hang.jpg"), HttpResponse{.hang = true});
    Result r;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/hang.jpg")), 0, {}, into(r));
    ASSERT_TRUE(waitUntil([&] { return r.calls > 0; }, 3000));
    EXPECT_EQ(r.error.domain, ImageError::URLErrorDomain);
    EXPECT_EQ(r.error.code, -1001);
}

TEST_F(ImageDownloaderTest, HugeBodiesStopAtTheCap) {
    EXPECT_EQ(downloader.maxBodyBytes(), qint64(32) << 20);
    downloader.setMaxBodyBytes(256 * 1024);
    // Announced too large: refused on the headers.
    server.route(QStringLiteral("/big.jpg"), HttpResponse{.body = QByteArray(300 * 1024, 'x')});
    // No length, never ending: refused once the cap is passed.
    server.route(QStringLiteral("/endless.jpg"), HttpResponse{.endlessBody = 64 * 1024});
    Result big, endless;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/big.jpg")), 0, {}, into(big));
    downloader.downloadImageWithURL(server.url(QStringLiteral("/endless.jpg")), 0, {},
                                    into(endless));
    ASSERT_TRUE(waitUntil([&] { return big.calls > 0 && endless.calls > 0; }, 5000));
    for (const Result *r : {&big, &endless}) {
        EXPECT_EQ(r->error.domain, ImageError::ImageErrorDomain);
        EXPECT_EQ(r->error.code, 0);
        EXPECT_EQ(r->error.description, QStringLiteral("Downloaded image is too large"));
        EXPECT_TRUE(r->data.isEmpty());
    }
}

TEST_F(ImageDownloaderTest, HugeClaimedDimensionsFailLikeUndecodableBodies) {
    server.serveFile(QStringLiteral("/bomb.png"), pngClaiming(50000, 50000), "image/png");
    Result r;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/bomb.png")), 0, {}, into(r));
    ASSERT_TRUE(waitUntil([&] { return r.calls > 0; }));
    EXPECT_EQ(r.error.description, QStringLiteral("Downloaded image has 0 pixels"));
}

TEST_F(ImageDownloaderTest, SeventhDownloadWaitsForAFreeSlot) {
    EXPECT_EQ(downloader.maxConcurrentDownloads(), 6);
    QStringList startedUrls;
    QObject::connect(&downloader, &ImageDownloader::downloadStarted, &downloader,
                     [&](const QUrl &url) { startedUrls << url.path(); });
    QList<std::shared_ptr<ImageDownloadToken>> tokens;
    Result results[7];
    for (int i = 0; i < 6; ++i) {
        const QString path = QStringLiteral("/hang%1.jpg").arg(i);
        server.route(path, HttpResponse{.hang = true});
        tokens << downloader.downloadImageWithURL(server.url(path), 0, {}, into(results[i]));
    }
    server.serveFile(QStringLiteral("/seventh.jpg"), jpegBytes(), "image/jpeg");
    tokens << downloader.downloadImageWithURL(server.url(QStringLiteral("/seventh.jpg")), 0, {},
                                              into(results[6]));
    ASSERT_TRUE(waitUntil([&] { return startedUrls.size() == 6; }));
    spin(200);
    EXPECT_EQ(startedUrls.size(), 6);
    EXPECT_FALSE(startedUrls.contains(QStringLiteral("/seventh.jpg")));
    EXPECT_EQ(server.hits(QStringLiteral("/seventh.jpg")), 0);
    EXPECT_EQ(downloader.currentDownloadCount(), 7);

    tokens[2]->cancel();
    ASSERT_TRUE(waitUntil([&] { return results[6].calls > 0; }));
    EXPECT_FALSE(results[6].image.isNull());
    EXPECT_EQ(startedUrls.last(), QStringLiteral("/seventh.jpg"));
    downloader.cancelAllDownloads();
    EXPECT_TRUE(waitUntil([&] { return downloader.currentDownloadCount() == 0; }));
}

TEST_F(ImageDownloaderTest, LastInFirstOutStartsTheNewestWaitingDownload) {
    downloader.setMaxConcurrentDownloads(1);
    downloader.setExecutionOrder(DownloadOrder::LIFO);
    QStringList order;
    QObject::connect(&downloader, &ImageDownloader::downloadStarted, &downloader,
                     [&](const QUrl &url) { order << url.path(); });
    Result r[3];
    for (int i = 0; i < 3; ++i) {
        const QString path = QStringLiteral("/%1.jpg").arg(i);
        server.serveFile(path, jpegBytes(), "image/jpeg");
        downloader.downloadImageWithURL(server.url(path), 0, {}, into(r[i]));
    }
    ASSERT_TRUE(waitUntil([&] { return r[0].calls && r[1].calls && r[2].calls; }));
    EXPECT_EQ(order, (QStringList{"/2.jpg", "/1.jpg", "/0.jpg"}));
}

TEST_F(ImageDownloaderTest, RequestFromACompletionGetsAFreshDownload) {
    server.serveFile(QStringLiteral("/again.jpg"), jpegBytes(), "image/jpeg");
    const QUrl url = server.url(QStringLiteral("/again.jpg"));
    Result second;
    bool firstDone = false;
    downloader.downloadImageWithURL(
        url, 0, {}, [&](const QImage &, const QByteArray &, const ImageError &, bool) {
            firstDone = true;
            downloader.downloadImageWithURL(url, 0, {}, into(second));
        });
    ASSERT_TRUE(waitUntil([&] { return second.calls > 0; }));
    EXPECT_TRUE(firstDone);
    EXPECT_FALSE(second.image.isNull());
    EXPECT_EQ(server.hits(QStringLiteral("/again.jpg")), 2);
}

TEST_F(ImageDownloaderTest, HeadersCanBeChangedAndFiltered) {
    server.serveFile(QStringLiteral("/h.jpg"), jpegBytes(), "image/jpeg");
    downloader.setValueForHTTPHeaderField("x-test", "X-Kelvane");
    downloader.setValueForHTTPHeaderField(QByteArray(), "Accept");
    EXPECT_EQ(downloader.valueForHTTPHeaderField("X-Kelvane"), QByteArray("x-test"));
    EXPECT_FALSE(downloader.allHTTPHeaderFields().contains("Accept"));
    downloader.setHeadersFilter([](const QUrl &, const HTTPHeaders &headers) {
        HTTPHeaders h = headers;
        h.insert("X-Filtered", "yes");
        return h;
    });
    Result r;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/h.jpg")), 0, {}, into(r));
    ASSERT_TRUE(waitUntil([&] { return r.calls > 0; }));
    EXPECT_EQ(server.requestHeaders(QStringLiteral("/h.jpg"), "X-Kelvane"),
              QList<QByteArray>{"x-test"});
    EXPECT_EQ(server.requestHeaders(QStringLiteral("/h.jpg"), "X-Filtered"),
              QList<QByteArray>{"yes"});
}

TEST_F(ImageDownloaderTest, EndlessHeadersFailAndLeaveEverySlotUsable) {
    // Six hostile covers take all six slots at once; each ends at the header cap, and the
    // covers queued behind them, from another host too, still arrive.
    HttpServer other;
    QList<Result> hostile(6);
    for (int i = 0; i < 6; ++i) {
        const QString path = QStringLiteral("/endless%1.jpg").arg(i);
        server.route(
            path, HttpResponse{.endlessHeader = 4096, .headerInOneLine = i % 2 == 1, .tickMs = 1});
        downloader.downloadImageWithURL(server.url(path), 0, {}, into(hostile[i]));
    }
    Result same, elsewhere;
    server.serveFile(QStringLiteral("/fine.jpg"), jpegBytes(), "image/jpeg");
    other.serveFile(QStringLiteral("/fine.jpg"), jpegBytes(), "image/jpeg");
    downloader.downloadImageWithURL(server.url(QStringLiteral("/fine.jpg")), 0, {}, into(same));
    downloader.downloadImageWithURL(other.url(QStringLiteral("/fine.jpg")), 0, {}, into(elsewhere));
    ASSERT_TRUE(waitUntil(
        [&] {
            return same.calls > 0 && elsewhere.calls > 0 &&
                   std::all_of(hostile.cbegin(), hostile.cend(),
                               [](const Result &r) { return r.calls > 0; });
        },
        10000));
    EXPECT_FALSE(same.image.isNull());
    EXPECT_FALSE(elsewhere.image.isNull());
    for (const Result &r : hostile) {
        EXPECT_EQ(r.calls, 1);
        EXPECT_EQ(r.error.domain, ImageError::URLErrorDomain);
        EXPECT_EQ(r.error.code, URLError::BadServerResponse);
    }
    // Each hostile connection was closed by us: nothing more of it is read.
    EXPECT_TRUE(waitUntil([&] { return server.closedByClient() >= 6; }));
    EXPECT_EQ(downloader.currentDownloadCount(), 0);
}

TEST_F(ImageDownloaderTest, TricklingAnswersGiveUpTheirSlotAtTheLimit) {
    downloader.setMaxDownloadDuration(0.4);
    downloader.setMaxConcurrentDownloads(1);
    // Bytes keep coming, so the idle time-out never fires, and the cap is far away.
    server.route(QStringLiteral("/drip.jpg"), HttpResponse{.endlessBody = 20, .tickMs = 10});
    server.route(QStringLiteral("/slow-head.jpg"), HttpResponse{.endlessHeader = 50, .tickMs = 10});
    server.serveFile(QStringLiteral("/next.jpg"), jpegBytes(), "image/jpeg");
    Result drip, head, next;
    downloader.downloadImageWithURL(server.url(QStringLiteral("/drip.jpg")), 0, {}, into(drip));
    downloader.downloadImageWithURL(server.url(QStringLiteral("/slow-head.jpg")), 0, {},
                                    into(head));
    downloader.downloadImageWithURL(server.url(QStringLiteral("/next.jpg")), 0, {}, into(next));
    ASSERT_TRUE(waitUntil([&] { return next.calls > 0; }, 10000));
    for (const Result *r : {&drip, &head}) {
        EXPECT_EQ(r->error.domain, ImageError::URLErrorDomain);
        EXPECT_EQ(r->error.code, URLError::TimedOut);
        EXPECT_TRUE(r->data.isEmpty());
    }
    EXPECT_FALSE(next.image.isNull());
    EXPECT_TRUE(waitUntil([&] { return server.closedByClient() >= 2; }));
}

TEST_F(ImageDownloaderTest, OnlyHttpAddressesAreFetched) {
    for (const char *address :
         {"file:///etc/hostname", "ftp://127.0.0.1/cover.jpg", "data:image/png;base64,AAAA",
          "qrc:/icons/no_cover.svg", "/etc/hostname"}) {
        Result r;
        EXPECT_EQ(
            downloader.downloadImageWithURL(QUrl(QString::fromLatin1(address)), 0, {}, into(r)),
            nullptr)
            << address;
        EXPECT_EQ(r.calls, 1) << address << ": answered at once";
        EXPECT_EQ(r.error.code, URLError::UnsupportedURL) << address;
        EXPECT_TRUE(r.finished);
    }
    EXPECT_EQ(downloader.currentDownloadCount(), 0);
}
