// bench_mpdcovers [--albums 2000] [--kib 200] [--default-chunk]
// Covers from the MPD server itself: a library of N albums, one song each with an
// embedded JPEG of about --kib KiB, no cover files, on a private mpd (generated once
// into /tmp). In one run, side by side:
//   - a bare libmpdclient loop reading every picture with readpicture on one connection
//     with binarylimit 1 MiB, and the same through the product's own connection (quick
//     acknowledgement per request); with --default-chunk also both with the server's
//     8 KiB chunks (minutes: mpd reads the song's tags again for every chunk);
//   - every cover cold through the product's cover chain (decoded at the grid's size,
//     stored in a fresh memory and disk cache) with no web server listening, with a web
//     server that refuses, and with one that hangs;
//   - the album grid scrolled while its covers stream from the server: repaints and
//     event-loop turns of the GUI thread.
// Targets: product cold <= 1.5x the bare loop; dead web server <= 1.1x no web server;
// no GUI-thread stall over 16 ms.
#include "core/library/MPDAlbum.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDSocket.h"
#include "core/mpd/ServerConnections.h"
#include "core/settings/Setting.h"
#include "covers/CoverChain.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"
#include "mpdc/Connection.h"
#include "mpdc/ProtocolLocale.h"
#include "support/HttpServer.h"
#include "support/MpdServer.h"
#include "support/TestLibrary.h"
#include "ui/views/library/AlbumsView.h"

#include "BenchLibrary.h"

#include <mpd/client.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace kelvane;
using kelvane::test::HttpServer;
using kelvane::test::MpdServer;
using kelvane::test::MpdServerOptions;
using kelvane::test::Tags;
using kelvane::test::TestLibrary;

namespace {

double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// A noise JPEG of about kib KiB: noise does not compress, like a photograph's detail.
QByteArray noiseJpeg(int kib) {
    for (int side = 128;; side += 16) {
        QImage image(side, side, QImage::Format_RGB32);
        QRandomGenerator random(42);
        for (int y = 0; y < side; ++y) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
            for (int x = 0; x < side; ++x)
                line[x] = random.generate() | 0xFF000000u;
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 90);
        if (bytes.size() >= kib * 1024) return bytes;
    }
}

QString library(int albums, int kib) {
    const QByteArray what = QByteArray::number(albums) + " albums";
    return bench::cachedLibrary(
        QStringLiteral("kelvane-bench-mpdcovers-%1-%2").arg(albums).arg(kib), what.constData(),
        [&](TestLibrary &lib) {
            const QByteArray picture = noiseJpeg(kib);
            for (int a = 0; a < albums; ++a) {
                const QString artist =
                    QStringLiteral("Artist %1").arg(a / 10, 3, 10, QLatin1Char('0'));
                const QString album = QStringLiteral("Album %1").arg(a, 4, 10, QLatin1Char('0'));
                Tags tags;
                tags.artist = artist;
                tags.album = album;
                tags.title = QStringLiteral("Title");
                lib.addWithPicture(artist + u'/' + album + QStringLiteral("/01 Title.flac"), tags,
                                   picture);
            }
        });
}

struct Loop {
    double ms = 0;
    qint64 bytes = 0;
    int trips = 0;
};

// The bare loop: libmpdclient alone, one connection, each picture chunk by chunk.
Loop bareLoop(const QString &host, quint16 port, const QStringList &songs, unsigned limit) {
    Loop loop;
    mpd_connection *c = mpd_connection_new(host.toUtf8().constData(), port, 30000);
    if (!c || mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) return loop;
    if (limit && !mpd_run_binarylimit(c, limit)) std::printf("  binarylimit refused\n");
    QByteArray buffer(4 << 20, Qt::Uninitialized);
    QElapsedTimer t;
    t.start();
    for (const QString &song : songs) {
        const QByteArray uri = song.toUtf8();
        unsigned offset = 0;
        long long size = -1;
        for (;;) {
            if (!mpd_send_readpicture(c, uri.constData(), offset)) break;
            ++loop.trips;
            long long chunk = -1;
            while (mpd_pair *pair = mpd_recv_pair(c)) {
                const bool binary = std::strcmp(pair->name, "binary") == 0;
                if (std::strcmp(pair->name, "size") == 0) size = std::atoll(pair->value);
                if (binary) chunk = std::atoll(pair->value);
                mpd_return_pair(c, pair);
                if (binary) break;
            }
            if (chunk < 0 || chunk > buffer.size()) {
                mpd_response_finish(c);
                break;
            }
            if (chunk > 0 && !mpd_recv_binary(c, buffer.data(), size_t(chunk))) break;
            mpd_response_finish(c);
            offset += unsigned(chunk);
            loop.bytes += chunk;
            if (chunk == 0 || offset >= size) break;
        }
    }
    loop.ms = ms(t);
    mpd_connection_free(c);
    return loop;
}

// The same through the product's connection (bounded reads, quick acknowledgement).
Loop productConnectionLoop(const QStringList &songs, unsigned limit) {
    Loop loop;
    auto connection = ServerConnections::sServerConnections().open(ServerTarget::fromSettings());
    if (connection->hasError()) return loop;
    if (limit) connection->setBinaryLimit(limit);
    QElapsedTimer t;
    t.start();
    for (const QString &song : songs) {
        const auto read = connection->picture(mpdc::PictureKind::Embedded, song, 32 << 20);
        loop.bytes += read.bytes.size();
    }
    loop.ms = ms(t);
    return loop;
}

struct Cold {
    double ms = 0;
    int found = 0;
    int webRequests = 0;
};

// Every cover through a chain of its own on a fresh cache, all asked at once.
Cold coldChain(const QList<Album> &albums, QSize size) {
    QTemporaryDir dir;
    ImageCache cache(dir.filePath(QStringLiteral("cover")));
    ImageDownloader downloader;
    ImageManager manager(cache, downloader);
    CoverChain chain(manager, MPDPictures::sMPDPictures());
    Cold cold;
    int done = 0;
    std::vector<std::shared_ptr<ImageCombinedOperation>> loads;
    loads.reserve(albums.size());
    QElapsedTimer t;
    t.start();
    for (const Album &album : albums)
        loads.push_back(chain.loadCover({album.path, album.firstSong}, size,
                                        [&](const QImage &image, CoverOrigin) {
                                            ++done;
                                            if (!image.isNull()) ++cold.found;
                                        }));
    while (done < albums.size() && t.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    cold.ms = ms(t);
    // Let the disk writes end before the directory goes.
    QThread::msleep(200);
    return cold;
}

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

void printLoop(const char *what, const Loop &loop, int pictures) {
    std::printf("  %-52s %8.0f ms  %6.2f ms/picture  %5d round trips  %.0f MiB\n", what, loop.ms,
                loop.ms / std::max(1, pictures), loop.trips, double(loop.bytes) / (1 << 20));
}

void printSeries(const char *what, QList<double> values) {
    if (values.isEmpty()) return;
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min<qsizetype>(values.size() - 1, qsizetype(q * values.size()))];
    };
    std::printf("  %-40s n %5lld  median %6.2f  p99 %6.2f  max %6.2f ms\n", what,
                (long long)values.size(), at(0.5), at(0.99), values.last());
}

} // namespace

int main(int argc, char **argv) {
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kelvane::mpdc::keepProtocolLocale();
    int albums = 2000, kib = 200;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--albums")); i >= 0 && i + 1 < args.size())
        albums = args[i + 1].toInt();
    if (const qsizetype i = args.indexOf(QStringLiteral("--kib")); i >= 0 && i + 1 < args.size())
        kib = args[i + 1].toInt();
    std::printf("bench_mpdcovers: %d albums, embedded JPEG of %d KiB each\n", albums, kib);

    const QString dir = library(albums, kib);
    MpdServerOptions options;
    options.musicDir = dir;
    MpdServer server(options);
    Setting::sSetting().setSessionServer(server.host(), server.port());
    Setting::sSetting().setMPDCovers(true);
    MPDSocket::sMPDSocket().connect();
    const auto list = MPDAlbum::sMPDAlbum().getAlbumsList();
    if (!list || list->isEmpty()) {
        std::printf("no albums\n");
        return 1;
    }
    QStringList songs;
    for (const Album &album : *list)
        songs << album.firstSong;
    const int n = int(songs.size());
    std::printf("  %d albums listed\n", n);

    // mpd drops a client idle for a minute: make sure the product is connected before
    // each product run (the loops above keep the GUI thread busy for minutes).
    const auto ensureConnected = [] {
        if (!MPDSocket::sMPDSocket().isConnected()) MPDSocket::sMPDSocket().connect();
        QElapsedTimer wait;
        wait.start();
        while (MPDPictures::sMPDPictures().serverLabel().isEmpty() && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    const bool defaultChunk = args.contains(QStringLiteral("--default-chunk"));
    const Loop bare = bareLoop(server.host(), server.port(), songs, 1 << 20);
    printLoop("bare libmpdclient readpicture, binarylimit 1 MiB", bare, n);
    const Loop own = productConnectionLoop(songs, 1 << 20);
    printLoop("product connection, binarylimit 1 MiB", own, n);

    const QSize grid(160, 160);
    ensureConnected();
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    if (const qsizetype i = args.indexOf(QStringLiteral("--readers"));
        i >= 0 && i + 1 < args.size()) {
        // The same cold run with another number of reader threads, before the real one.
        CoverChain::readerThreads = args[i + 1].toInt();
        const Cold other = coldChain(*list, grid);
        std::printf("  product cold with %d reader threads:               %8.0f ms  %d covers\n",
                    CoverChain::readerThreads, other.ms, other.found);
        CoverChain::readerThreads = 4;
        ensureConnected();
    }
    const Cold none = coldChain(*list, grid);
    std::printf("  product cold, nothing listens at the web address: %8.0f ms  %d covers  "
                "%.2fx the bare loop with 1 MiB chunks (target <= 1.5) %s\n",
                none.ms, none.found, none.ms / bare.ms, none.ms / bare.ms <= 1.5 ? "ok" : "MISSED");
    {
        ensureConnected();
        HttpServer hung;
        hung.setDefault({.hang = true});
        Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(hung.port()));
        const Cold dead = coldChain(*list, grid);
        std::printf("  product cold, web server that hangs:              %8.0f ms  %d covers  "
                    "%.2fx no web server (target <= 1.1) %s; %d web requests\n",
                    dead.ms, dead.found, dead.ms / none.ms,
                    dead.ms / none.ms <= 1.1 ? "ok" : "MISSED", int(hung.requests().size()));
    }
    {
        ensureConnected();
        Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
        const Cold refused = coldChain(*list, grid);
        std::printf("  product cold, web server that refuses:            %8.0f ms  %d covers  "
                    "%.2fx no web server\n",
                    refused.ms, refused.found, refused.ms / none.ms);
    }
    const Loop bareAgain = bareLoop(server.host(), server.port(), songs, 1 << 20);
    printLoop("bare loop with 1 MiB chunks again (the run's noise)", bareAgain, n);
    if (defaultChunk) {
        // Minutes: only with --default-chunk.
        printLoop("bare libmpdclient readpicture, default chunk",
                  bareLoop(server.host(), server.port(), songs, 0), n);
        printLoop("product connection, default chunk", productConnectionLoop(songs, 0), n);
    }
    ensureConnected();

    // The grid scrolled while its covers stream from the server (fresh caches).
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    ImageCache::sharedImageCache().clearMemory();
    bool cleared = false;
    ImageCache::sharedImageCache().clearDiskOnCompletion([&] { cleared = true; });
    while (!cleared)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    MPDCache::sMPDCache().setCurrentAlbumList(list);
    AlbumsView view;
    view.resize(1280, 800);
    view.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 16);
    QScrollBar *bar = view.collectionView()->verticalScrollBar();
    QList<double> repaints, turns;
    QElapsedTimer whole;
    whole.start();
    for (int step = 0; step < 150 && bar->value() < bar->maximum(); ++step) {
        bar->setValue(std::min(bar->value() + 240, bar->maximum()));
        QElapsedTimer frame;
        frame.start();
        view.collectionView()->viewport()->repaint();
        repaints << ms(frame);
        QElapsedTimer budget;
        budget.start();
        while (budget.elapsed() < 100) {
            QElapsedTimer turn;
            turn.start();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 4);
            turns << ms(turn);
        }
    }
    std::printf("  grid wheel scroll, 240 px every 100 ms for %.1f s, covers from the server:\n",
                double(whole.elapsed()) / 1000);
    printSeries("repaint of one screen of cells", repaints);
    printSeries("event-loop turn while covers stream", turns);
    // The same scroll again, every cover now in memory: the grid's own painting cost.
    bar->setValue(0);
    settle.restart();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 16);
    QList<double> warmRepaints;
    for (int step = 0; step < 150 && bar->value() < bar->maximum(); ++step) {
        bar->setValue(std::min(bar->value() + 240, bar->maximum()));
        QElapsedTimer frame;
        frame.start();
        view.collectionView()->viewport()->repaint();
        warmRepaints << ms(frame);
        QElapsedTimer budget;
        budget.start();
        while (budget.elapsed() < 100)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 4);
    }
    printSeries("same repaint, covers already in memory", warmRepaints);
    const double worst = std::max(*std::max_element(repaints.begin(), repaints.end()),
                                  *std::max_element(turns.begin(), turns.end()));
    std::printf("  longest GUI-thread stall %.1f ms (target <= 16) %s\n", worst,
                worst <= 16 ? "ok" : "MISSED");
    MPDSocket::sMPDSocket().disconnect();
    return 0;
}
