// bench_library [--skip-100k] [--runs N]
// The album catalogue, the queue and a stored playlist against a private mpd, each
// side by side with the single protocol exchange it is measured against. Libraries
// are generated on first use into /tmp (kelvane-bench-20k, kelvane-bench-100k) and
// reused; the server's database is rebuilt on every run.
#include "core/library/MPDAlbum.h"
#include "core/library/MPDPlayLists.h"
#include "core/library/MPDQueue.h"
#include "core/library/ServerSong.h"
#include "core/model/Song.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"
#include "mpdc/ProtocolLocale.h"
#include "support/MpdServer.h"
#include "support/TestLibrary.h"

#include "BenchLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace kelvane;
using kelvane::test::MpdServer;
using kelvane::test::MpdServerOptions;
using kelvane::test::TestLibrary;

namespace {

struct Figures {
    QList<double> ms;
    double min() const { return *std::min_element(ms.begin(), ms.end()); }
    double max() const { return *std::max_element(ms.begin(), ms.end()); }
    double median() const {
        QList<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

double timed(const std::function<void()> &work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void print(const char *what, const Figures &f) {
    std::printf("  %-44s min %8.1f  median %8.1f  max %8.1f ms\n", what, f.min(), f.median(),
                f.max());
}

void ratio(const char *what, const Figures &a, const Figures &b, double target) {
    const double r = a.median() / b.median();
    std::printf("  %-44s %.2fx (target <= %.2fx) %s\n", what, r, target,
                r <= target ? "ok" : "MISSED");
}

// Generated once into /tmp; a marker file records that the generation completed.
QString library(int albums, int songsPerAlbum, const char *name) {
    const QByteArray what = QByteArray::number(albums * songsPerAlbum) + " songs";
    return bench::cachedLibrary(QLatin1String(name), what.constData(),
                                [&](TestLibrary &lib) { lib.writeBulk(albums, songsPerAlbum); });
}

std::unique_ptr<MpdServer> serve(const QString &musicDir) {
    QElapsedTimer t;
    t.start();
    MpdServerOptions options;
    options.musicDir = musicDir;
    auto server = std::make_unique<MpdServer>(options);
    std::printf("  server ready with its database in %.1f s\n", double(t.elapsed()) / 1000);
    return server;
}

void connectCore(const MpdServer &server) {
    Setting::sSetting().setSessionServer(server.host(), server.port());
    MPDSocket::sMPDSocket().connect();
}

QString describe(const Album &a) {
    return a.artist + u'|' + a.albumName + u'|' + a.path + u'|' + a.genre + u'|' +
           QString::number(a.date);
}

// The floor the catalogue is measured against: one request written to a plain socket and
// its answer read to its last line ("OK", or an "ACK" when the server refuses), nothing
// parsed. TCP_NODELAY, and TCP_QUICKACK again after every read, so that neither side's
// delayed acknowledgement is counted as the exchange's own time.
struct RawAnswer {
    double ms = -1;
    qint64 bytes = 0;
    QByteArray refusal; // the ACK line when refused
};

RawAnswer rawExchange(const QString &host, quint16 port, const QByteArray &request) {
    RawAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return answer;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host.toLatin1().constData(), &address.sin_addr);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return answer;
    }
    std::vector<char> buffer(256 * 1024);
    QByteArray tail;
    // Reads until the last line of an answer has come; false on a closed socket or after
    // 60 s without data.
    const auto readAnswer = [&](qint64 *bytes) {
        tail.clear();
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 60000) <= 0) return false;
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) return false;
            ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
            *bytes += n;
            tail.append(buffer.data(), n);
            if (tail.size() > 8192) tail.remove(0, tail.size() - 8192);
            if (!tail.endsWith('\n')) continue;
            const qsizetype previous = tail.lastIndexOf('\n', tail.size() - 2);
            const QByteArray last = tail.mid(previous + 1);
            if (last == "OK\n" && (previous >= 0 || *bytes == 3)) return true;
            if (last.startsWith("ACK ")) {
                answer.refusal = last.trimmed();
                return true;
            }
        }
    };
    // The greeting is one line, "OK MPD x.y.z".
    char c = 0;
    while (c != '\n')
        if (::recv(fd, &c, 1, 0) != 1) {
            ::close(fd);
            return answer;
        }
    QElapsedTimer timer;
    timer.start();
    bool ok = ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) ==
              ssize_t(request.size());
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
    ok = ok && readAnswer(&answer.bytes);
    if (ok) answer.ms = double(timer.nsecsElapsed()) / 1e6;
    ::close(fd);
    return answer;
}

// The catalogue as first written: "listall", then one "lsinfo" round trip per distinct
// directory, a linear scan of the albums found so far per song.
QList<Album> referenceCatalogue(mpdc::Connection &c) {
    QStringList directories;
    QSet<QString> seen;
    for (const mpdc::Entity &e : c.listAll(QString()).value_or(std::vector<mpdc::Entity>{})) {
        if (e.type != mpdc::Entity::Type::Song) continue;
        const QString d = MPDAlbum::directoryOf(e.song.uri);
        if (!seen.contains(d)) {
            seen.insert(d);
            directories << d;
        }
    }
    QList<Album> albums;
    for (const QString &d : directories) {
        const std::vector<mpdc::Entity> listing =
            c.listMeta(d).value_or(std::vector<mpdc::Entity>{});
        for (const mpdc::Entity &e : listing) {
            if (e.type != mpdc::Entity::Type::Song) continue;
            const QString artist = e.song.albumArtist.isNull() ? e.song.artist : e.song.albumArtist;
            bool found = false;
            for (const Album &a : albums)
                if (!e.song.album.isNull() && !artist.isNull() && a.albumName == e.song.album &&
                    a.artist == artist) {
                    found = true;
                    break;
                }
            if (!found)
                albums << Album{
                    artist, e.song.album, d, e.song.genre, Song::integerValue(e.song.date), {}};
        }
    }
    return MPDAlbum::sortAlbum(albums);
}

void benchCatalogue(MpdServer &server, int runs) {
    connectCore(server);
    Figures catalogue, listAllInfo, rawListAllInfo;
    QString refused;
    QByteArray rawRefused;
    qint64 rawBytes = 0;
    qsizetype albums = 0;
    for (int i = 0; i < runs; ++i) {
        if (rawRefused.isEmpty()) {
            const RawAnswer raw = rawExchange(server.host(), server.port(), "listallinfo\n");
            if (raw.ms < 0)
                rawRefused = "no answer";
            else if (!raw.refusal.isEmpty())
                rawRefused = raw.refusal;
            else
                rawListAllInfo.ms << raw.ms;
            rawBytes = raw.bytes;
        }
        if (refused.isNull()) {
            // A connection of its own, opened before the clock starts: a refused answer
            // closes it.
            auto raw = mpdc::Connection::open(server.host(), server.port(), 30000);
            bool ok = true;
            const double ms = timed([&] { ok = raw->listAllInfo(QString()).has_value(); });
            if (ok)
                listAllInfo.ms << ms;
            else
                refused = raw->errorMessage();
        }
        catalogue.ms << timed([&] {
            albums = MPDAlbum::sMPDAlbum().getAlbumsList().value_or(QList<Album>()).size();
        });
    }
    std::printf("  %lld albums\n", qlonglong(albums));
    print("getAlbumsList", catalogue);
    if (rawRefused.isEmpty()) {
        std::printf("  the floor: one listallinfo over a plain socket, read to its end, nothing "
                    "parsed (%.1f MB)\n",
                    double(rawBytes) / 1e6);
        print("one listallinfo, raw (the floor)", rawListAllInfo);
        ratio("getAlbumsList / raw listallinfo", catalogue, rawListAllInfo, 1.3);
    } else {
        std::printf("  one listallinfo, raw: refused (%s)\n", rawRefused.constData());
    }
    if (!refused.isNull()) {
        std::printf(
            "  one listallinfo: fails (%s): the answer overflows the server's output buffer\n",
            qPrintable(refused));
        return;
    }
    print("one listallinfo, parsed by libmpdclient", listAllInfo);
    ratio("getAlbumsList / parsed listallinfo", catalogue, listAllInfo, 1.25);
}

// The catalogue as the window reads it: on the bulk connection's thread, while a timer
// on this (GUI) thread notes the longest time the event loop went without turning and
// the poll goes on.
void benchCatalogueOffGui(MpdServer &server, int runs) {
    connectCore(server);
    Figures wall, stall;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock, gap;
        qint64 longest = 0;
        bool done = false;
        qsizetype albums = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longest = std::max(longest, gap.restart()); });
        QObject receiver;
        clock.start();
        gap.start();
        ticker.start();
        MPDBulk::sMPDBulk().run(
            &receiver,
            [] { return MPDAlbum::sMPDAlbum().getAlbumsList().value_or(QList<Album>()).size(); },
            [&](qsizetype n) {
                albums = n;
                done = true;
            });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        wall.ms << double(clock.nsecsElapsed()) / 1e6;
        stall.ms << double(std::max(longest, gap.elapsed()));
        if (i == 0) std::printf("  %lld albums off the GUI thread\n", qlonglong(albums));
    }
    print("getAlbumsList on the bulk thread (wall)", wall);
    print("longest GUI-thread stall meanwhile", stall);
    std::printf("  %-44s %.0f ms (target <= 50 ms) %s\n", "longest stall, worst run", stall.max(),
                stall.max() <= 50 ? "ok" : "MISSED");
}

// One song appended to a 10,000-entry queue: what changed, read as positions and ids,
// beside a whole read.
void benchQueueChange(MpdServer &server, int runs) {
    connectCore(server);
    auto raw = mpdc::Connection::open(server.host(), server.port(), 30000);
    Figures changes, whole;
    for (int i = 0; i < runs; ++i) {
        const QueueContent held = MPDQueue::sMPDQueue().readQueue().value();
        if (!raw->add(held.songs.value(0).fullPath())) {
            std::printf("  cannot append: %s\n", qPrintable(raw->errorMessage()));
            return;
        }
        std::optional<QueueUpdate> update;
        changes.ms << timed([&] { update = MPDQueue::sMPDQueue().readChanges(held); });
        whole.ms << timed([&] { MPDQueue::sMPDQueue().readQueue(); });
        if (i == 0)
            std::printf("  %lld entries; the change read as %lld inserted at row %lld\n",
                        qlonglong(update->content.songs.size()), qlonglong(update->diff.inserted),
                        qlonglong(update->diff.first));
        raw->deletePos(quint32(update->content.songs.size() - 1));
    }
    print("one song appended: readChanges", changes);
    print("the whole queue again: readQueue", whole);
    std::printf("  %-44s %.2f ms (target <= 2 ms) %s\n", "readChanges, median", changes.median(),
                changes.median() <= 2 ? "ok" : "MISSED");
}

void checkCatalogue(MpdServer &server) {
    auto raw = mpdc::Connection::open(server.host(), server.port(), 30000);
    connectCore(server);
    QList<Album> reference;
    const double referenceMs = timed([&] { reference = referenceCatalogue(*raw); });
    const QList<Album> fast = MPDAlbum::sMPDAlbum().getAlbumsList().value_or(QList<Album>());
    bool same = reference.size() == fast.size();
    for (qsizetype i = 0; same && i < fast.size(); ++i)
        same = describe(reference[i]) == describe(fast[i]);
    std::printf("  step-by-step catalogue (lsinfo round trips, linear scan): %.0f ms, results %s\n",
                referenceMs, same ? "identical" : "DIFFERENT");
}

void benchQueue(MpdServer &server, int runs) {
    // 10,000 entries: the first 1,000 album directories of 10 songs.
    server.command(QStringLiteral("clear"));
    QStringList list{QStringLiteral("command_list_begin")};
    for (int album = 0; album < 1000; ++album)
        list << QStringLiteral("add \"Artist %1/Album %2\"")
                    .arg(album / 10, 3, 10, QLatin1Char('0'))
                    .arg(album, 4, 10, QLatin1Char('0'));
    list << QStringLiteral("command_list_end");
    server.command(list.join(u'\n'));
    std::printf(
        "  queue of %s entries\n",
        qPrintable(server.value(QStringLiteral("status"), QStringLiteral("playlistlength"))));

    auto raw = mpdc::Connection::open(server.host(), server.port(), 30000);
    connectCore(server);
    Figures getQueue, playlistInfo, perPosition;
    qsizetype size = 0;
    for (int i = 0; i < runs; ++i) {
        playlistInfo.ms << timed([&] { raw->queue(); });
        getQueue.ms << timed(
            [&] { size = MPDQueue::sMPDQueue().getQueue().value_or(QList<Song>()).size(); });
    }
    int found = 0;
    perPosition.ms << timed([&] {
        for (quint32 p = 0; p < quint32(size); ++p)
            found += raw->queueSongAt(p).has_value();
    });
    std::printf("  getQueue read %lld songs; %d read one request per position\n", qlonglong(size),
                found);
    print("getQueue", getQueue);
    print("one playlistinfo (parsed)", playlistInfo);
    print("one request per position (as first written)", perPosition);
    ratio("getQueue / playlistinfo", getQueue, playlistInfo, 1.3);
}

void benchPlaylist(MpdServer &server, int runs) {
    // 2,000 entries saved from the queue, plus two the database does not know.
    server.command(QStringLiteral("clear"));
    QStringList list{QStringLiteral("command_list_begin")};
    for (int album = 0; album < 200; ++album)
        list << QStringLiteral("add \"Artist %1/Album %2\"")
                    .arg(album / 10, 3, 10, QLatin1Char('0'))
                    .arg(album, 4, 10, QLatin1Char('0'));
    list << QStringLiteral("command_list_end");
    server.command(list.join(u'\n'));
    server.command(QStringLiteral("rm bench"));
    server.command(QStringLiteral("save bench"));
    server.command(QStringLiteral("playlistadd bench \"http://127.0.0.1:9/stream\""));
    QFile file(QDir(server.playlistDir()).filePath(QStringLiteral("bench.m3u")));
    file.open(QIODevice::Append);
    file.write("Gone/Missing.flac\n");
    file.close();

    auto raw = mpdc::Connection::open(server.host(), server.port(), 30000);
    connectCore(server);
    // As first written: "listplaylist", then one "lsinfo" per entry.
    const auto perEntry = [&] {
        QList<QString> uris;
        for (const QString &uri :
             raw->playlistUris(QStringLiteral("bench")).value_or(QStringList()))
            uris << uri;
        QList<Song> songs;
        for (const QString &uri : uris) {
            if (uri.contains(QLatin1String("://")))
                continue; // the server would fetch the stream to describe it
            const std::vector<mpdc::Entity> listing =
                raw->listMeta(uri).value_or(std::vector<mpdc::Entity>{});
            for (const mpdc::Entity &e : listing)
                if (e.type == mpdc::Entity::Type::Song)
                    songs << songFromServer(e.song, SongReading::Playlist);
        }
        return songs;
    };
    Figures fast, slow;
    QList<Song> a, b;
    for (int i = 0; i < runs; ++i) {
        slow.ms << timed([&] { b = perEntry(); });
        fast.ms << timed([&] {
            a = MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("bench")).value();
        });
    }
    // The stream entry is kept by getPlaylist and skipped by the step-by-step reading.
    bool same = a.size() == b.size() + 1;
    for (qsizetype i = 0, j = 0; same && i < a.size(); ++i) {
        if (a[i].fullPath().contains(QLatin1String("://"))) continue;
        same = a[i].fullPath() == b[j].fullPath() && a[i].artist() == b[j].artist() &&
               a[i].title() == b[j].title() && a[i].track() == b[j].track() &&
               a[i].date() == b[j].date() && a[i].duration() == b[j].duration();
        ++j;
    }
    std::printf(
        "  playlist of %lld entries read as %lld songs; database entries %s to one lsinfo each\n",
        qlonglong(raw->playlistUris(QStringLiteral("bench")).value_or(QStringList()).size()),
        qlonglong(a.size()), same ? "identical" : "DIFFERENT");
    print("getPlaylist (listplaylistinfo)", fast);
    print("listplaylist + one lsinfo per entry", slow);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    kelvane::mpdc::keepProtocolLocale();
    const QStringList args = app.arguments();
    int runs = 5;
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i >= 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    std::printf("20,000 songs in 2,000 albums\n");
    {
        auto server = serve(library(2000, 10, "kelvane-bench-20k"));
        benchCatalogue(*server, runs);
        checkCatalogue(*server);
        benchQueue(*server, runs);
        benchQueueChange(*server, runs);
        benchPlaylist(*server, runs);
        MPDSocket::sMPDSocket().disconnect();
    }
    if (!args.contains(QStringLiteral("--skip-100k"))) {
        std::printf("100,000 songs in 10,000 albums\n");
        auto server = serve(library(10000, 10, "kelvane-bench-100k"));
        benchCatalogue(*server, runs);
        benchCatalogueOffGui(*server, runs);
        MPDSocket::sMPDSocket().disconnect();
    }
    return 0;
}
