// The cover chain against a real mpd and a local web server: which source wins, what
// is remembered for the session, and servers that are dead, hostile or protected.
#include "covers/CoverChain.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDSocket.h"
#include "core/mpd/PlayerEvents.h"
#include "core/settings/Setting.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"
#include "support/HttpServer.h"
#include "support/MpdServer.h"
#include "support/ScriptedServer.h"
#include "support/TestLibrary.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

struct Cover {
    bool done = false;
    QImage image;
    CoverOrigin origin = CoverOrigin::None;
    int width() const { return image.width(); }
};

Tags tagsOf(const QString &album) {
    return {.artist = QStringLiteral("Artist"), .album = album};
}

void connectTo(const MpdServer &server, const std::optional<QString> &password = std::nullopt) {
    Setting::sSetting().setSessionPassword(password);
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), server.port());
    MPDSocket::sMPDSocket().connect();
    waitUntil([] { return !MPDPictures::sMPDPictures().serverLabel().isEmpty(); }, 3000);
}

quint32 crc32(const QByteArray &bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A port nothing listens on: connections are refused.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class CoverChainTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<ImageCache> cache =
        std::make_unique<ImageCache>(dir.filePath(QStringLiteral("cover")));
    ImageDownloader downloader;
    std::unique_ptr<ImageManager> manager = std::make_unique<ImageManager>(*cache, downloader);
    std::unique_ptr<CoverChain> chain =
        std::make_unique<CoverChain>(*manager, MPDPictures::sMPDPictures());
    HttpServer web;

    void SetUp() override {
        Setting::sSetting().setMPDCovers(true);
        useWebServer(web.port());
    }
    void TearDown() override {
        MPDSocket::sMPDSocket().disconnect();
        Setting::sSetting().setSessionHTTP(std::nullopt);
        Setting::sSetting().setSessionPassword(std::nullopt);
        Setting::sSetting().setMPDCovers(true);
    }
    static void useWebServer(quint16 port) {
        Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(port));
    }
    std::shared_ptr<ImageCombinedOperation> start(Cover &cover, const QString &album,
                                                  QSize size = {}) {
        return chain->loadCover({album, album + QStringLiteral("/1.flac")}, size,
                                [&cover](const QImage &image, CoverOrigin origin) {
                                    cover.done = true;
                                    cover.image = image;
                                    cover.origin = origin;
                                });
    }
    Cover load(const QString &album, QSize size = {}) {
        Cover cover;
        start(cover, album, size);
        EXPECT_TRUE(waitUntil([&] { return cover.done; }, 8000)) << album.toStdString();
        return cover;
    }
    // The same disk directory with an empty memory: what a restart finds.
    void restart() {
        chain.reset();
        manager.reset();
        cache = std::make_unique<ImageCache>(dir.filePath(QStringLiteral("cover")));
        manager = std::make_unique<ImageManager>(*cache, downloader);
        chain = std::make_unique<CoverChain>(*manager, MPDPictures::sMPDPictures());
    }
};

} // namespace

TEST(CoverRequest, AddressesKeepAnyDirectoryNameAndRejectOthers) {
    const QString album = QStringLiteral("A&B=C+D #1%20?/Été");
    const QString song = album + QStringLiteral("/01 x&song=y.flac");
    const QUrl url = CoverRequest::address(album, song);
    const auto parsed = CoverRequest::parse(QUrl(url.toString(QUrl::FullyEncoded)));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->albumPath, album);
    EXPECT_EQ(parsed->songUri, song);
    EXPECT_TRUE(CoverRequest::parse(CoverRequest::address({}, {})));
    for (const char *other :
         {"http://127.0.0.1/a/cover.jpg", "albumcover:?album=a", "albumcover:?song=a&album=b",
          "albumcover:x?album=a&song=b", "albumcover:?album=a&song=b&album=c"})
        EXPECT_FALSE(CoverRequest::parse(QUrl(QString::fromLatin1(other)))) << other;
}

TEST_F(CoverChainTest, WebThenCoverFileThenEmbeddedPictureThenNothingOnce) {
    MpdServer server;
    TestLibrary &lib = server.library();
    for (const char *album : {"Web", "File", "Png", "Tag", "Bare"}) {
        const QString name = QString::fromLatin1(album);
        if (name == QLatin1String("Tag"))
            lib.addWithPicture(name + QStringLiteral("/1.flac"), tagsOf(name),
                               TestLibrary::coverJpeg(name, 90));
        else
            lib.add(name + QStringLiteral("/1.flac"), tagsOf(name));
    }
    lib.addCover(QStringLiteral("Web"), QStringLiteral("file"), 70);
    lib.addCover(QStringLiteral("File"), QStringLiteral("file"), 70);
    lib.addCoverPng(QStringLiteral("Png"), QStringLiteral("png"), 80);
    server.update();
    connectTo(server);
    web.serveFile(QStringLiteral("/Web/cover.jpg"), TestLibrary::coverJpeg(QStringLiteral("w"), 50),
                  "image/jpeg");

    const Cover fromWeb = load(QStringLiteral("Web"));
    EXPECT_EQ(fromWeb.origin, CoverOrigin::Http);
    EXPECT_EQ(fromWeb.width(), 50) << "the web server wins when it has the cover";
    const Cover file = load(QStringLiteral("File"));
    EXPECT_EQ(file.origin, CoverOrigin::AlbumArt) << "a 404 sends that album down the chain";
    EXPECT_EQ(file.width(), 70);
    EXPECT_FALSE(chain->isWebServerDead()) << "a 404 says the web server is alive";
    EXPECT_EQ(load(QStringLiteral("Png")).width(), 80);
    const Cover tag = load(QStringLiteral("Tag"));
    EXPECT_EQ(tag.origin, CoverOrigin::ReadPicture);
    EXPECT_EQ(tag.width(), 90);
    const Cover bare = load(QStringLiteral("Bare"));
    EXPECT_EQ(bare.origin, CoverOrigin::None);
    EXPECT_TRUE(bare.image.isNull());

    // Asked again: the cache answers, and the album without a cover asks nobody, not
    // even once a cover file appears, until the database changes.
    EXPECT_EQ(load(QStringLiteral("File")).origin, CoverOrigin::Memory);
    lib.addCover(QStringLiteral("Bare"), QStringLiteral("late"), 60);
    const int webHits = web.requests().size();
    EXPECT_EQ(load(QStringLiteral("Bare")).origin, CoverOrigin::None);
    EXPECT_EQ(web.requests().size(), webHits);
    chain->forgetMissing();
    EXPECT_EQ(load(QStringLiteral("Bare")).origin, CoverOrigin::AlbumArt);

    // A restart shows the server's covers from disk without asking the server: the
    // cover file is gone, yet the cached picture comes back.
    QFile::remove(server.musicDir() + QStringLiteral("/File/cover.jpg"));
    restart();
    const Cover again = load(QStringLiteral("File"));
    EXPECT_EQ(again.origin, CoverOrigin::Disk);
    EXPECT_EQ(again.width(), 70);

    // Turned off in the preferences: the web alone, as before.
    Setting::sSetting().setMPDCovers(false);
    restart();
    EXPECT_EQ(load(QStringLiteral("Tag")).origin, CoverOrigin::None);
    EXPECT_EQ(load(QStringLiteral("Web")).origin, CoverOrigin::Disk);
}

TEST_F(CoverChainTest, AnAlbumCostsTheServerOneRequestOnceItsPictureKindIsKnown) {
    MpdServer server({.verboseLog = true});
    TestLibrary &lib = server.library();
    const int embedded = 8;
    for (int i = 0; i < embedded; ++i) {
        const QString name = QStringLiteral("Tag%1").arg(i);
        lib.addWithPicture(name + QStringLiteral("/1.flac"), tagsOf(name),
                           TestLibrary::coverJpeg(name, 40 + i));
    }
    lib.add(QStringLiteral("File/1.flac"), tagsOf(QStringLiteral("File")));
    lib.addCover(QStringLiteral("File"), QStringLiteral("file"), 70);
    server.update();
    connectTo(server);
    const auto requests = [&server](const char *name) {
        return server.commandCount(QString::fromLatin1(name));
    };

    // Asked for the first time, every album is asked for its cover file first: a cover
    // file, where there is one, is the picture shown.
    for (int i = 0; i < embedded; ++i) {
        const Cover cover = load(QStringLiteral("Tag%1").arg(i));
        EXPECT_EQ(cover.origin, CoverOrigin::ReadPicture);
        EXPECT_EQ(cover.width(), 40 + i);
    }
    EXPECT_EQ(requests("readpicture"), embedded);
    EXPECT_EQ(requests("albumart"), embedded);
    const Cover file = load(QStringLiteral("File"));
    EXPECT_EQ(file.origin, CoverOrigin::AlbumArt);
    EXPECT_EQ(file.width(), 70);
    EXPECT_EQ(requests("readpicture"), embedded);
    EXPECT_EQ(requests("albumart"), embedded + 1);

    // Asked again with the caches emptied: each album costs the one request that
    // answered it before.
    cache->clearMemory();
    bool cleared = false;
    cache->clearDiskOnCompletion([&] { cleared = true; });
    ASSERT_TRUE(waitUntil([&] { return cleared; }, 5000));
    for (int i = 0; i < embedded; ++i)
        EXPECT_EQ(load(QStringLiteral("Tag%1").arg(i)).origin, CoverOrigin::ReadPicture);
    EXPECT_EQ(load(QStringLiteral("File")).origin, CoverOrigin::AlbumArt);
    EXPECT_EQ(requests("readpicture"), 2 * embedded);
    EXPECT_EQ(requests("albumart"), embedded + 2);
}

TEST_F(CoverChainTest, DeadWebServerIsContactedOnceForAWholeGrid) {
    MpdServer server;
    const int albums = 12;
    for (int i = 0; i < albums; ++i) {
        const QString name = QStringLiteral("Album %1").arg(i);
        server.library().addWithPicture(name + QStringLiteral("/1.flac"), tagsOf(name),
                                        TestLibrary::coverJpeg(name, 40));
    }
    server.update();
    connectTo(server);
    // A web server that takes connections and never answers: each album waiting for it
    // would cost a whole time-out.
    web.setDefault({.hang = true});
    downloader.setDownloadTimeout(0.5);

    QList<Cover> covers(albums);
    std::vector<std::shared_ptr<ImageCombinedOperation>> loads;
    for (int i = 0; i < albums; ++i)
        loads.push_back(start(covers[i], QStringLiteral("Album %1").arg(i)));
    // The first album's cell scrolls away: its web answer still settles the others.
    loads[0]->cancel();
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::all_of(covers.begin() + 1, covers.end(),
                               [](const Cover &c) { return c.done; });
        },
        8000));
    for (int i = 1; i < albums; ++i)
        EXPECT_EQ(covers[i].origin, CoverOrigin::ReadPicture) << i;
    EXPECT_FALSE(covers[0].done);
    EXPECT_EQ(web.requests().size(), 1);
    EXPECT_TRUE(chain->isWebServerDead());

    // Saved preferences (or a reconnection) give the web server another chance.
    chain->resetSession();
    cache->clearMemory();
    cache->clearDiskOnCompletion();
    EXPECT_EQ(load(QStringLiteral("Album 0")).origin, CoverOrigin::ReadPicture);
    EXPECT_EQ(web.requests().size(), 2);

    // A web server that hangs holds the other albums for the grace only, not for its
    // whole time-out.
    chain->resetSession();
    cache->clearMemory();
    cache->clearDiskOnCompletion();
    downloader.setDownloadTimeout(10);
    chain->setProbeGrace(200);
    QElapsedTimer clock;
    clock.start();
    QList<Cover> slow(4);
    for (int i = 0; i < 4; ++i)
        start(slow[i], QStringLiteral("Album %1").arg(i + 4));
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::all_of(slow.begin(), slow.end(), [](const Cover &c) { return c.done; });
        },
        8000));
    EXPECT_LT(clock.elapsed(), 3000) << "the first album does not wait for the time-out either";
    EXPECT_EQ(slow[3].origin, CoverOrigin::ReadPicture);
    EXPECT_EQ(web.requests().size(), 3);
    EXPECT_TRUE(chain->isWebServerDead());
    downloader.setDownloadTimeout(0.5);

    // Refused at once and unknown host count as dead too.
    for (const QString &host : {QStringLiteral("127.0.0.1:%1").arg(closedPort()),
                                QStringLiteral("no-such-host.invalid")}) {
        Setting::sSetting().setSessionHTTP(host);
        chain->resetSession();
        cache->clearMemory();
        cache->clearDiskOnCompletion();
        EXPECT_EQ(load(QStringLiteral("Album 3")).origin, CoverOrigin::ReadPicture)
            << host.toStdString();
        EXPECT_TRUE(chain->isWebServerDead()) << host.toStdString();
    }
}

TEST_F(CoverChainTest, HostilePicturesAreRefusedWithoutHarm) {
    MpdServer server;
    TestLibrary &lib = server.library();
    // Too large for the cap; a cover file that is no picture, with a good embedded one;
    // an embedded picture claiming a gigantic size.
    lib.addWithPicture(QStringLiteral("Huge/1.flac"), tagsOf(QStringLiteral("Huge")),
                       TestLibrary::coverJpeg(QStringLiteral("huge"), 400));
    lib.addWithPicture(QStringLiteral("Junk/1.flac"), tagsOf(QStringLiteral("Junk")),
                       TestLibrary::coverJpeg(QStringLiteral("junk"), 30));
    lib.addRaw(QStringLiteral("Junk/cover.jpg"), QByteArray(5000, 'x'));
    QByteArray png = TestLibrary::coverPng(QStringLiteral("bomb"), 64);
    // IHDR width and height (bytes 16..23) rewritten to 60000×60000, its CRC made good:
    // only the decoded-size cap stands in the way.
    const char huge[] = {0, 0, char(0xEA), 0x60, 0, 0, char(0xEA), 0x60};
    png.replace(16, 8, QByteArray(huge, 8));
    const quint32 crc = crc32(png.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    lib.addWithPicture(QStringLiteral("Bomb/1.flac"), tagsOf(QStringLiteral("Bomb")), png,
                       "image/png");
    server.update();
    connectTo(server);
    const qsizetype cap = TestLibrary::coverJpeg(QStringLiteral("huge"), 400).size() - 1;
    ASSERT_GT(cap, TestLibrary::coverJpeg(QStringLiteral("junk"), 30).size());
    downloader.setMaxBodyBytes(cap);

    EXPECT_EQ(load(QStringLiteral("Huge")).origin, CoverOrigin::None);
    const Cover junk = load(QStringLiteral("Junk"));
    EXPECT_EQ(junk.origin, CoverOrigin::ReadPicture)
        << "a cover file that does not decode is skipped";
    EXPECT_EQ(junk.width(), 30);
    EXPECT_EQ(load(QStringLiteral("Bomb")).origin, CoverOrigin::None);
    // The connections are still good for the next album.
    downloader.setMaxBodyBytes(ImageDownloader::DefaultMaxBodyBytes);
    chain->forgetMissing();
    EXPECT_EQ(load(QStringLiteral("Huge")).width(), 400);
}

TEST_F(CoverChainTest, PasswordProtectedServerAndTwoServersWithTheSameDirectories) {
    MpdServerOptions options;
    options.password = QStringLiteral("s3cret");
    MpdServer first(options);
    MpdServer second;
    first.library().add(QStringLiteral("Same/1.flac"), tagsOf(QStringLiteral("Same")));
    first.library().addCover(QStringLiteral("Same"), QStringLiteral("one"), 33);
    second.library().add(QStringLiteral("Same/1.flac"), tagsOf(QStringLiteral("Same")));
    second.library().addCover(QStringLiteral("Same"), QStringLiteral("two"), 44);
    first.update();
    second.update();

    connectTo(first, QStringLiteral("s3cret"));
    EXPECT_EQ(load(QStringLiteral("Same"), QSize(20, 20)).origin, CoverOrigin::AlbumArt);
    EXPECT_EQ(load(QStringLiteral("Same")).width(), 33);
    MPDSocket::sMPDSocket().disconnect();
    connectTo(second);
    const Cover other = load(QStringLiteral("Same"));
    EXPECT_EQ(other.origin, CoverOrigin::AlbumArt) << "the first server's cover is not this one's";
    EXPECT_EQ(other.width(), 44);
}

TEST_F(CoverChainTest, PollKeepsItsPaceWhilePicturesStream) {
    // The server streams every picture a byte per exchange, for far longer than the test
    // lasts: pictures are in flight on both picture connections from the first request
    // to the end, however fast or slow the machine.
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request.startsWith("albumart") || request.startsWith("readpicture"))
            return {"size: 4000000\nbinary: 1\nx\nOK\n", false, false, {}};
        return ScriptedServer::standard(request);
    });
    const auto pictureRequests = [&server] {
        return server.requests()
            .filter(QRegularExpression(QStringLiteral("^(albumart|readpicture) ")))
            .size();
    };
    MPDPictures::sMPDPictures().setReadDeadline(std::chrono::minutes(10));
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), server.port());
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    web.setDefault({.status = 404});
    const int albums = 8;
    QList<Cover> covers(albums);
    for (int i = 0; i < albums; ++i)
        start(covers[i], QStringLiteral("Album %1").arg(i));
    ASSERT_TRUE(waitUntil([&] { return pictureRequests() > 2 * MPDPictures::maxConnections; }))
        << "the pictures never started to stream";

    // Measured in events, not in time: status reads made on the first connection while
    // the pictures stream, each answered before the next, none waiting for a picture to
    // end (none can), with the pictures still streaming after the last.
    const quint64 readsBefore = MPDSocket::sMPDSocket().statusReads();
    const qsizetype chunksBefore = pictureRequests();
    const int reads = 50;
    for (int i = 0; i < reads; ++i) {
        // The blocking read: each one answered before the next is asked.
        MPDSocket::sMPDSocket().getStatus();
        ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected()) << "status read " << i;
    }
    EXPECT_EQ(MPDSocket::sMPDSocket().statusReads(), readsBefore + reads);
    EXPECT_TRUE(waitUntil([&] { return pictureRequests() > chunksBefore; }))
        << "the pictures stopped streaming";
    EXPECT_TRUE(std::none_of(covers.begin(), covers.end(), [](const Cover &c) { return c.done; }));

    // The user's disconnect ends the reads in flight.
    MPDSocket::sMPDSocket().disconnect();
    EXPECT_TRUE(waitUntil(
        [&] {
            return std::all_of(covers.begin(), covers.end(), [](const Cover &c) { return c.done; });
        },
        20000));
    MPDPictures::sMPDPictures().setReadDeadline(MPDPictures::defaultReadDeadline);
}
