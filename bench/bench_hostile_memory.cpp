// bench_hostile_memory [scenario]
// What a hostile server's answer costs in memory: the peak resident size while the
// client reads it, and what stays resident once the read is over and its result gone.
// Each scenario runs in a child process of its own, so every peak is its own; with a
// scenario name, only that one runs, in this process.
//   full     playlistinfo: 2,000,000 entries, every tag filled (~470 bytes each), then OK
//   short    playlistinfo: entries with every tag one letter, without end
//   tags     playlistinfo: one entry repeating its Artist tag 300,000 times, then OK
//   phantom  the queue view's change read: a status announcing 1,999,999 entries and a
//            single "cpos: 1999998" line
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"
#include "mpdc/ProtocolLocale.h"
#include "support/ScriptedServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

using namespace kelvane;
using kelvane::test::ScriptedServer;

namespace {

// "VmHWM" (the peak) or "VmRSS" (now) from /proc/self/status, in MiB.
double memoryMiB(const char *key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key)) + 1).trimmed().split(' ')[0].toDouble() /
                   1024;
    return -1;
}

QByteArray fullEntry() {
    return "file: Some Artist Name/Some Album Title (Deluxe)/01 Some Track Title.flac\n"
           "Last-Modified: 2024-01-01T00:00:00Z\nFormat: 44100:16:2\n"
           "Artist: Some Artist Name\nAlbumArtist: Some Artist Name\n"
           "Title: Some Track Title Here\nAlbum: Some Album Title (Deluxe)\nTrack: 1\n"
           "Date: 2001\nGenre: Progressive Rock\nComposer: Some Composer Name\n"
           "Comment: A comment of some length\nDisc: 1\nTime: 245\nduration: 245.000\n"
           "Pos: 0\nId: 1\n";
}

QByteArray shortEntry() {
    return "file: a\nArtist: b\nAlbumArtist: c\nTitle: d\nAlbum: e\nTrack: 1\nDate: 2\n"
           "Genre: f\nComposer: g\nComment: h\nDisc: 1\n";
}

ScriptedServer::Responder answering(QByteArray request, ScriptedServer::Reply reply) {
    return [=](const QByteArray &r) { return r == request ? reply : ScriptedServer::standard(r); };
}

ScriptedServer::Reply repeating(QByteArray head, QByteArray repeated, qint64 times) {
    ScriptedServer::Reply reply;
    reply.bytes = std::move(head);
    reply.repeated = std::move(repeated);
    reply.times = times;
    reply.tail = "OK\n";
    return reply;
}

void report(const char *what, bool ok, qsizetype kept, double ms) {
    std::printf("  %-8s %-6s kept %9lld  peak %7.0f MiB  after %6.0f MiB  %8.0f ms\n", what,
                ok ? "read" : "failed", static_cast<long long>(kept), memoryMiB("VmHWM:"),
                memoryMiB("VmRSS:"), ms);
}

int runQueueRead(const char *what, ScriptedServer::Reply reply) {
    ScriptedServer server(answering("playlistinfo", reply));
    auto connection = mpdc::Connection::open(QStringLiteral("127.0.0.1"), server.port(), 30000);
    QElapsedTimer clock;
    clock.start();
    qsizetype kept = 0;
    bool ok = false;
    {
        const auto songs = connection->queue();
        ok = songs.has_value();
        kept = ok ? qsizetype(songs->size()) : 0;
    }
    report(what, ok, kept, double(clock.nsecsElapsed()) / 1e6);
    return 0;
}

int runPhantom() {
    const QByteArray length = "1999999";
    ScriptedServer server([&](const QByteArray &request) -> ScriptedServer::Reply {
        const QByteArray status = "volume: 50\nrepeat: 0\nrandom: 0\nsingle: 0\nconsume: 0\n"
                                  "playlist: 7\nplaylistlength: " +
                                  length + "\nstate: stop\n";
        if (request == "status") return {status + "OK\n"};
        if (request.contains("plchangesposid"))
            return {status + "list_OK\ncpos: 1999998\nId: 5\nlist_OK\nOK\n"};
        if (request.contains("playlistid")) return {"file: x.flac\nPos: 1999998\nId: 5\nOK\n"};
        return ScriptedServer::standard(request);
    });
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), server.port());
    MPDSocket::sMPDSocket().connect();
    QueueContent held;
    held.version = 1;
    QElapsedTimer clock;
    clock.start();
    qsizetype rows = 0;
    bool ok = false;
    {
        const auto update = MPDQueue::sMPDQueue().readChanges(held);
        ok = update.has_value();
        rows = ok ? update->content.songs.size() : 0;
    }
    report("phantom", ok, rows, double(clock.nsecsElapsed()) / 1e6);
    MPDSocket::sMPDSocket().disconnect();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    mpdc::keepProtocolLocale();
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::printf("bench_hostile_memory: resident memory of one read (VmHWM, VmRSS)\n");
        std::fflush(stdout);
        for (const char *scenario : {"full", "short", "tags", "phantom"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(app.applicationFilePath(), {QString::fromLatin1(scenario)});
            child.waitForFinished(-1);
        }
        return 0;
    }
    const QString scenario = args[0];
    if (scenario == u"full") return runQueueRead("full", repeating({}, fullEntry(), 2'000'000));
    if (scenario == u"short") {
        ScriptedServer::Reply endless;
        endless.endless = shortEntry();
        return runQueueRead("short", endless);
    }
    if (scenario == u"tags")
        return runQueueRead("tags", repeating("file: a.flac\n", "Artist: x\n", 300'000));
    if (scenario == u"phantom") return runPhantom();
    std::fprintf(stderr, "unknown scenario\n");
    return 1;
}
