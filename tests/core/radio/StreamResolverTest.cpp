#include "core/radio/StreamResolver.h"
#include "core/radio/StreamPlaylist.h"
#include "support/HttpServer.h"

#include <QObject>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

using namespace kelvane;
using kelvane::test::HttpServer;

namespace {
QString address(const HttpServer &server, const char *path) {
    return server.url(QString::fromLatin1(path)).toString();
}
} // namespace

TEST(StreamResolver, TuneAnswerNamingAPlsFile) {
    HttpServer server;
    server.serveFile("/Tune.ashx", (address(server, "/station.pls") + "\n").toUtf8(),
                     "audio/x-mpegurl");
    server.serveFile("/station.pls",
                     "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://ice.radio.example/live\r\n");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune.ashx?id=s1")),
              u"http://ice.radio.example/live");
}

TEST(StreamResolver, CapitalExtensionsDispatch) {
    HttpServer server;
    server.serveFile("/Tune.ashx", (address(server, "/LIVE.M3U") + "\n").toUtf8());
    server.serveFile("/LIVE.M3U", "#EXTM3U\nhttp://stream.radio.example/a.mp3\n");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune.ashx")),
              u"http://stream.radio.example/a.mp3");
}

TEST(StreamResolver, AsxFile) {
    HttpServer server;
    server.serveFile("/Tune.ashx", address(server, "/wm.asx").toUtf8());
    server.serveFile(
        "/wm.asx",
        "<asx version=\"3.0\"><entry><ref href=\"http://wm.radio.example/live\"/></entry></asx>");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune.ashx")),
              u"http://wm.radio.example/live");
}

TEST(StreamResolver, PlainStreamAndQueryAfterExtensionAreNotFetchedAgain) {
    HttpServer server;
    server.serveFile("/direct",
                     "http://ice.radio.example:8000/stream\nhttp://backup.radio.example/stream\n");
    server.serveFile("/query", (address(server, "/listen.pls?sid=1") + "\n").toUtf8());
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/direct")),
              u"http://ice.radio.example:8000/stream");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/query")),
              address(server, "/listen.pls?sid=1"));
    EXPECT_EQ(server.hits("/listen.pls"), 0);
}

TEST(StreamResolver, OnlyOneLevelIsFollowed) {
    HttpServer server;
    server.serveFile("/Tune.ashx", (address(server, "/outer.pls") + "\n").toUtf8());
    server.serveFile("/outer.pls",
                     ("[playlist]\nFile1=" + address(server, "/inner.pls") + "\n").toUtf8());
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune.ashx")),
              address(server, "/inner.pls"));
    EXPECT_EQ(server.hits("/inner.pls"), 0);
}

TEST(StreamResolver, FailuresAreNotPlayable) {
    HttpServer server;
    server.route("/error", {.status = 404, .body = "not found"});
    server.serveFile("/Tune.ashx", (address(server, "/empty.pls") + "\n").toUtf8());
    server.serveFile("/empty.pls", "[playlist]\nNumberOfEntries=0\n");
    server.route("/latin1", {.body = "http://caf\xe9.example/stream\n"});
    // An error page's first line comes back as is; only the length test filters it.
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/error")), u"not found");
    EXPECT_TRUE(StreamResolver::getStreamURL(address(server, "/Tune.ashx")).isNull());
    EXPECT_TRUE(StreamResolver::getStreamURL(address(server, "/latin1")).isNull());
    EXPECT_TRUE(StreamResolver::getStreamURL(QStringLiteral("http://127.0.0.1:1/")).isNull());
    EXPECT_TRUE(StreamResolver::getStreamURL(QStringLiteral("null0")).isNull());
}

TEST(StreamResolver, EndlessAnswerInPlaceOfAPlaylistIsDropped) {
    HttpServer server;
    // An audio stream served where a playlist was expected never ends.
    server.serveFile("/Tune.ashx", (address(server, "/live.m3u") + "\n").toUtf8());
    server.route("/live.m3u", {.endlessBody = 256 * 1024});
    server.route("/stream", {.endlessBody = 256 * 1024});
    EXPECT_TRUE(StreamResolver::getStreamURL(address(server, "/Tune.ashx")).isNull());
    EXPECT_TRUE(StreamResolver::getStreamURL(address(server, "/stream")).isNull());
}

TEST(StreamResolver, AsyncResolutionCallsBackOnTheGuiThread) {
    HttpServer server;
    server.route("/Tune.ashx", {.body = "http://ice.radio.example/live\n", .delayMs = 100});
    QObject context;
    QString result;
    QThread *calledOn = nullptr;
    StreamResolver::resolve(address(server, "/Tune.ashx"), &context, [&](const QString &resolved) {
        result = resolved;
        calledOn = QThread::currentThread();
    });
    EXPECT_TRUE(result.isNull()); // nothing blocks the caller
    ASSERT_TRUE(QTest::qWaitFor([&] { return calledOn != nullptr; }, 5000));
    EXPECT_EQ(result, u"http://ice.radio.example/live");
    EXPECT_EQ(calledOn, QThread::currentThread());
}

TEST(StreamResolver, AsyncResolutionForAGoneContextIsDropped) {
    HttpServer server;
    server.route("/Tune.ashx", {.body = "http://ice.radio.example/live\n", .delayMs = 200});
    bool called = false;
    {
        QObject context;
        StreamResolver::resolve(address(server, "/Tune.ashx"), &context,
                                [&](const QString &) { called = true; });
    }
    QTest::qWait(500);
    EXPECT_FALSE(called);
}

// A station that answers with the playlist file itself (every station whose address
// names a .pls file, and some directory entries): the stream is the one in that file,
// never the file's first line.
TEST(StreamResolver, StationAnsweringWithThePlaylistItself) {
    HttpServer server;
    server.serveFile("/station.pls",
                     "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://ice.radio.example/pls\r\n");
    server.serveFile("/Tune.ashx", "[playlist]\nFile1=http://ice.radio.example/tune\n");
    server.serveFile("/m3u", "#EXTM3U\n#EXTINF:-1,Live\nhttp://ice.radio.example/m3u\n");
    server.serveFile("/asx", "<?xml version=\"1.0\"?>\n<asx version=\"3.0\"><entry>"
                             "<ref href=\"http://ice.radio.example/asx\"/></entry></asx>\n");
    // Named as a playlist, without saying so on its first line.
    server.serveFile("/bare.m3u", "http://ice.radio.example/bare\n");
    server.serveFile("/nothing.pls", "[playlist]\nNumberOfEntries=0\n");
    // A playlist file named otherwise, reached through the first line.
    server.serveFile("/Tune2.ashx", (address(server, "/listen.m3u") + "\n").toUtf8());
    server.serveFile("/listen.m3u", "[playlist]\nFile1=http://ice.radio.example/named\n");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/station.pls")),
              u"http://ice.radio.example/pls");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune.ashx?id=s2")),
              u"http://ice.radio.example/tune");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/m3u")),
              u"http://ice.radio.example/m3u");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/asx")),
              u"http://ice.radio.example/asx");
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/bare.m3u")),
              u"http://ice.radio.example/bare");
    EXPECT_TRUE(StreamResolver::getStreamURL(address(server, "/nothing.pls")).isNull());
    EXPECT_EQ(StreamResolver::getStreamURL(address(server, "/Tune2.ashx")),
              u"http://ice.radio.example/named");
    EXPECT_EQ(server.hits("/station.pls"), 1);
}
