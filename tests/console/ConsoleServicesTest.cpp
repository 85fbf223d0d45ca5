// The library, playback and image commands of the real console binary against a
// private mpd and a local HTTP server.
#include "ConsoleProcess.h"

#include "support/HttpServer.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"
#include "support/TestLibrary.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace kelvane::test;

namespace {

// Sends a command and answers the lines it printed up to its closing "end" line
// (events of the poll are left out).
QStringList listOf(ConsoleProcess &console, const QString &command, const QString &prefix) {
    const qsizetype from = console.lines().size();
    console.send(command);
    waitUntil([&] {
        for (qsizetype i = from; i < console.lines().size(); ++i)
            if (console.lines()[i].startsWith(QLatin1String("end\t")) ||
                console.lines()[i] == QLatin1String("absent"))
                return true;
        return false;
    });
    QStringList out;
    for (qsizetype i = from; i < console.lines().size(); ++i) {
        const QString &l = console.lines()[i];
        if (l.startsWith(prefix) || l.startsWith(QLatin1String("end\t")) ||
            l == QLatin1String("absent"))
            out << l;
        if (l.startsWith(QLatin1String("end\t")) || l == QLatin1String("absent")) break;
    }
    return out;
}

class ConsoleServices : public ServerSuite {
  protected:
};

TEST_F(ConsoleServices, AlbumsContentAndCover) {
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());

    const QStringList albums = listOf(console, QStringLiteral("albums"), QStringLiteral("album\t"));
    ASSERT_EQ(albums.last(), QStringLiteral("end\t15"));
    EXPECT_TRUE(albums.contains(
        QStringLiteral("album\tThe Beatles\tAbbey Road\tThe Beatles/Abbey Road\t1969\tRock")));
    // "The Beatles" sorts among the B's: after Band Two, before Pink Floyd.
    const auto indexOf = [&](const QString &artist) {
        for (qsizetype i = 0; i < albums.size(); ++i)
            if (albums[i].startsWith(QStringLiteral("album\t") + artist + QLatin1Char('\t')))
                return i;
        return qsizetype(-1);
    };
    EXPECT_LT(indexOf(QStringLiteral("Band Two")), indexOf(QStringLiteral("The Beatles")));
    EXPECT_LT(indexOf(QStringLiteral("The Beatles")), indexOf(QStringLiteral("Pink Floyd")));

    const QStringList songs =
        listOf(console, QStringLiteral("content Studio Masters/High Resolution"),
               QStringLiteral("song\t"));
    ASSERT_EQ(songs.size(), 3);
    EXPECT_EQ(songs[0],
              QStringLiteral("song\t1\t0\t2020\t3\t24\tStudio Masters\t\t\tHigh Resolution\tDeep\t"
                             "Electronic\tflac\tStudio Masters/High Resolution/01 Deep.flac"));

    console.send(QStringLiteral("cover Simon & Garfunkel/Bookends"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("cover\t")),
              QStringLiteral("cover\thttp://127.0.0.1/Simon%20&%20Garfunkel/Bookends/cover.jpg\t"
                             "http://127.0.0.1/Simon%20&%20Garfunkel/Bookends/cover.jpg"));
    console.send(QStringLiteral("quit"));
    EXPECT_TRUE(console.waitForExit());
}

TEST_F(ConsoleServices, QueuePlaylistsAndStreams) {
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());
    server->command(QStringLiteral("clear"));

    console.send(QStringLiteral("add The Beatles/Abbey Road/01 Come Together.flac"));
    console.send(QStringLiteral("add The Beatles/Abbey Road/02 Something.flac"));
    console.send(QStringLiteral("add ABBA/Gold/01 Dancing Queen.flac"));
    QStringList queue = listOf(console, QStringLiteral("queue"), QStringLiteral("song\t"));
    ASSERT_EQ(queue.last(), QStringLiteral("end\t3"));
    // Positions 0 and 2 go: the second deletion lands on what was position 2.
    console.send(QStringLiteral("delete 0 2"));
    queue = listOf(console, QStringLiteral("queue"), QStringLiteral("song\t"));
    ASSERT_EQ(queue.size(), 2);
    EXPECT_TRUE(queue[0].endsWith(QStringLiteral("\tThe Beatles/Abbey Road/02 Something.flac")));

    console.send(QStringLiteral("save Soirée"));
    console.send(QStringLiteral("newplaylist Rock"));
    console.send(QStringLiteral("renameplaylist Rock\tRock Classics"));
    EXPECT_EQ(listOf(console, QStringLiteral("playlists"), QStringLiteral("playlist\t")),
              (QStringList{"playlist\tRock Classics", "playlist\tSoirée", "end\t2"}));
    EXPECT_EQ(listOf(console, QStringLiteral("playlist Soirée"), QStringLiteral("song\t")).last(),
              QStringLiteral("end\t1"));
    console.send(QStringLiteral("rmplaylist Rock Classics"));
    console.send(QStringLiteral("rmplaylist Soirée"));

    console.send(QStringLiteral("addstream http://127.0.0.1:9/live#Radio #1"));
    console.send(QStringLiteral("addstream http://127.0.0.1:9/other"));
    EXPECT_EQ(
        listOf(console, QStringLiteral("streams"), QStringLiteral("stream\t")),
        (QStringList{"stream\t0\thttp://127.0.0.1:9/live\tRadio #1",
                     "stream\t1\thttp://127.0.0.1:9/other\thttp://127.0.0.1:9/other", "end\t2"}));
    console.send(QStringLiteral("rmstream 0"));
    EXPECT_EQ(listOf(console, QStringLiteral("streams"), QStringLiteral("stream\t")).last(),
              QStringLiteral("end\t1"));
    console.send(QStringLiteral("rmstream 0"));

    console.send(QStringLiteral("playalbum Abbey Road\tThe Beatles/Abbey Road\t1"));
    EXPECT_FALSE(console.waitForLine(QStringLiteral("track\t1\tAbbey Road\tSomething")).isNull());
    console.send(QStringLiteral("stop"));
    EXPECT_FALSE(console.waitForLine(QStringLiteral("state\t1")).isNull());
    console.send(QStringLiteral("quit"));
    EXPECT_TRUE(console.waitForExit());
}

TEST_F(ConsoleServices, NotConnectedListsAreAbsent) {
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());
    console.send(QStringLiteral("disconnect"));
    EXPECT_EQ(listOf(console, QStringLiteral("albums"), QStringLiteral("album\t")),
              QStringList{"absent"});
    EXPECT_EQ(listOf(console, QStringLiteral("queue"), QStringLiteral("song\t")),
              QStringList{"absent"});
    console.send(QStringLiteral("quit"));
    EXPECT_TRUE(console.waitForExit());
}

TEST(ConsoleImages, LoadsThroughTheCachesAndReportsErrors) {
    HttpServer http;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    http.serveFile(QStringLiteral("/cover.jpg"), jpeg, "image/jpeg");

    ConsoleProcess console({QStringLiteral("--port"), QStringLiteral("1")});
    const QString url = http.url(QStringLiteral("/cover.jpg")).toString();
    console.send(QStringLiteral("image ") + url);
    EXPECT_EQ(console.waitForLine(QStringLiteral("image\t")),
              QStringLiteral("image\t40\t30\tnone"));
    console.send(QStringLiteral("image ") + url);
    ASSERT_TRUE(waitUntil([&] {
        return console.lines().filter(QRegularExpression(QStringLiteral("^image\t"))).size() == 2;
    }));
    EXPECT_EQ(console.lines().filter(QRegularExpression(QStringLiteral("^image\t"))).last(),
              QStringLiteral("image\t40\t30\tmemory"));
    EXPECT_EQ(http.hits(QStringLiteral("/cover.jpg")), 1);

    console.send(QStringLiteral("image ") + http.url(QStringLiteral("/missing.jpg")).toString());
    EXPECT_TRUE(
        console.waitForLine(QStringLiteral("image-error\t")).contains(QStringLiteral("\t-999\t")));
    console.send(QStringLiteral("cachefile http://example.invalid/a/b.jpg"));
    const QString name = console.waitForLine(QStringLiteral("cachefile\t"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^cachefile\t[0-9a-f]{32}\\.jpg$"))
                    .match(name)
                    .hasMatch())
        << name.toStdString();
    console.send(QStringLiteral("purge"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("purged")), QStringLiteral("purged"));
    console.send(QStringLiteral("quit"));
    EXPECT_TRUE(console.waitForExit());
}

TEST(ConsoleImages, AlbumCoverFollowsTheChainFromADeadWebServerToTheServer) {
    MpdServer server;
    server.library().add(QStringLiteral("File/1.flac"),
                         {.artist = QStringLiteral("A"), .album = QStringLiteral("File")});
    server.library().addCover(QStringLiteral("File"), QStringLiteral("file"), 70);
    server.library().addWithPicture(QStringLiteral("Tag/1.flac"),
                                    {.artist = QStringLiteral("A"), .album = QStringLiteral("Tag")},
                                    TestLibrary::coverJpeg(QStringLiteral("tag"), 90));
    server.library().add(QStringLiteral("Bare/1.flac"),
                         {.artist = QStringLiteral("A"), .album = QStringLiteral("Bare")});
    server.update();
    // Nothing listens there: refused, so the web server is dead for the session.
    quint16 dead = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        dead = probe.serverPort();
    }
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port()),
                            QStringLiteral("--cover-host"),
                            QStringLiteral("127.0.0.1:%1").arg(dead)});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());
    const auto ask = [&](const QString &path) {
        const qsizetype before =
            console.lines().filter(QRegularExpression(QStringLiteral("^albumcover\t"))).size();
        console.send(QStringLiteral("albumcover ") + path);
        waitUntil(
            [&] {
                return console.lines()
                           .filter(QRegularExpression(QStringLiteral("^albumcover\t")))
                           .size() > before;
            },
            8000);
        return console.lines()
            .filter(QRegularExpression(QStringLiteral("^albumcover\t")))
            .value(before);
    };
    EXPECT_EQ(ask(QStringLiteral("File")), QStringLiteral("albumcover\t70\t70\talbumart"));
    EXPECT_EQ(ask(QStringLiteral("File")), QStringLiteral("albumcover\t70\t70\tmemory"));
    EXPECT_EQ(ask(QStringLiteral("Tag")), QStringLiteral("albumcover\t90\t90\treadpicture"));
    EXPECT_EQ(ask(QStringLiteral("Bare")), QStringLiteral("albumcover\t\\N\t\\N\tnone"));
    EXPECT_EQ(ask(QStringLiteral("No Such Album")), QStringLiteral("albumcover\t\\N\t\\N\tnone"));
    console.send(QStringLiteral("quit"));
    EXPECT_TRUE(console.waitForExit());
}

} // namespace
