// The private mpd and the generated library: what later tests take for granted.
#include "support/MpdServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

using namespace kelvane::test;

namespace {

using TagMap = QMultiMap<QString, QString>;

// listallinfo as one tag map per song file, values of a repeated key in the order sent.
QMap<QString, TagMap> songsOf(MpdServer &server) {
    QMap<QString, TagMap> songs;
    QString current;
    for (const QString &line : server.command(QStringLiteral("listallinfo"))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const QString key = line.left(colon), value = line.mid(colon + 2);
        if (key == QLatin1String("file")) {
            current = value;
            songs[current];
        } else if (key == QLatin1String("directory") || key == QLatin1String("playlist")) {
            current.clear();
        } else if (!current.isEmpty()) {
            songs[current].insert(key, value);
        }
    }
    return songs;
}

// QMultiMap::values() lists the newest insertion first.
QStringList inSentOrder(const TagMap &tags, const QString &key) {
    QStringList values = tags.values(key);
    std::reverse(values.begin(), values.end());
    return values;
}

class StandardServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        QElapsedTimer clock;
        clock.start();
        server = startStandardServer().release();
        std::cout << "standard server ready in " << clock.elapsed() << " ms\n";
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server && server->isRunning()); }

    static MpdServer *server;
};

MpdServer *StandardServer::server = nullptr;

} // namespace

TEST_F(StandardServer, EverySongWithItsOddTags) {
    const auto songs = songsOf(*server);
    ASSERT_EQ(songs.size(), TestLibrary::standardSongCount());

    const TagMap sun = songs.value(QStringLiteral("Compilations/Summer Hits/01 Sun.flac"));
    EXPECT_EQ(inSentOrder(sun, "Artist"), (QStringList{"Singer A", "Guest C"}));
    EXPECT_EQ(sun.value("AlbumArtist"), "Various Artists");
    EXPECT_EQ(sun.value("Track"), "3"); // mpd keeps the number before the slash
    EXPECT_EQ(sun.value("Date"), "2003-10");
    EXPECT_EQ(songs.value("Compilations/Summer Hits/02 Sea.flac").value("Comment"), "Radio edit");

    EXPECT_EQ(songs.value("Shared/Two Albums/01 Morning.flac").value("Track"), "7");
    EXPECT_EQ(songs.value("Shared/Two Albums/01 Morning.flac").value("Date"), "1999-05-01");
    EXPECT_FALSE(songs.value("Shared/Two Albums/03 Side A.flac")
                     .contains("Track")); // "A1" is dropped by mpd
    EXPECT_EQ(songs.value("Shared/Two Albums/03 Side A.flac").value("Date"), "c. 1970");
    EXPECT_EQ(songs.value("Pink Floyd/The Wall/CD 2/01 Hey You.flac").value("Disc"), "2");

    EXPECT_FALSE(songs.value("Untitled.flac").contains("Title"));
    EXPECT_FALSE(songs.value("No Album.flac").contains("Album"));
    EXPECT_FALSE(songs.value("No Artist.flac").contains("Artist"));
    EXPECT_FALSE(songs.value("No Artist.flac").contains("AlbumArtist"));
    EXPECT_EQ(songs.value(QString::fromUtf8("Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac"))
                  .value("Title"),
              QString::fromUtf8("Hymne à l'amour"));
    EXPECT_EQ(songs.value("The Beatles/Abbey Road/01 Come Together.flac").value("Time"), "259");

    EXPECT_EQ(songs.value("Studio Masters/High Resolution/01 Deep.flac").value("Format"),
              "44100:24:2");
    EXPECT_EQ(songs.value("Root Song.flac").value("Format"), "44100:16:2");
    const TagMap dsd = songs.value("Studio Masters/DSD Session/01 Native.dsf");
    EXPECT_EQ(dsd.value("Title"), "Native");
    EXPECT_FALSE(dsd.contains("Format"));
}

TEST_F(StandardServer, MpcSeesTheSameLibrary) {
    const QStringList files = server->mpc({"listall"}).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(files.size(), TestLibrary::standardSongCount());
    const QStringList albums = server->mpc({"list", "album"}).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(albums.contains(QString::fromUtf8("Best of #1?")));
    EXPECT_TRUE(albums.contains("The Wall"));
    EXPECT_EQ(server->mpc({"-f", "%albumartist%", "find", "title", "Sun"}).trimmed(),
              "Various Artists");
}

TEST_F(StandardServer, CoversAreRealJpegsInSomeAlbumDirectories) {
    for (const char *dir :
         {"", "The Beatles/Abbey Road/", "Pink Floyd/The Wall/CD 2/", "Édith Piaf/Best of #1?/"}) {
        QImage cover(server->musicDir() + u'/' + QString::fromUtf8(dir) + "cover.jpg");
        EXPECT_EQ(cover.size(), QSize(64, 64)) << dir;
    }
    EXPECT_FALSE(QFile::exists(server->musicDir() + "/The Beatles/Let It Be/cover.jpg"));
}

TEST_F(StandardServer, SongPlaysInRealTimeThroughTheNullOutput) {
    server->command("clear");
    ASSERT_EQ(
        server->command("add " + MpdServer::quote("The Beatles/Abbey Road/01 Come Together.flac")),
        QStringList());
    ASSERT_EQ(server->command("play 0"), QStringList());
    QElapsedTimer clock;
    clock.start();
    double first = -1, last = -1;
    while (clock.elapsed() < 5000) {
        const QString elapsed = server->value("status", "elapsed");
        if (server->value("status", "state") == "play" && !elapsed.isNull()) {
            last = elapsed.toDouble();
            if (first < 0) first = last;
            if (last - first >= 0.3) break;
        }
        QThread::msleep(20);
    }
    EXPECT_GE(last - first, 0.3);
    EXPECT_LT(last, 3.0); // real time, not as fast as the disk allows
    EXPECT_EQ(server->value("status", "volume"), "100");
    server->command("stop");
}

TEST_F(StandardServer, RefusalsComeBackAsAck) {
    EXPECT_TRUE(server->command("frobnicate").value(0).startsWith("ACK [5@0]"));
    EXPECT_TRUE(
        server->command("lsinfo " + MpdServer::quote("no such dir")).value(0).startsWith("ACK"));
    const QStringList list =
        server->command("command_list_ok_begin\nping\nstatus\ncommand_list_end");
    EXPECT_EQ(list.value(0), "list_OK");
    EXPECT_TRUE(list.contains("list_OK"));
}

TEST(MpdServer, RestartKeepsPortDatabaseAndQueue) {
    MpdServer server;
    ASSERT_TRUE(server.isRunning());
    server.library().add("A/B/01 x.flac", {.artist = "A", .album = "B", .title = "x"});
    server.update();
    server.command("add \"A/B/01 x.flac\"");
    const quint16 port = server.port();
    const qint64 firstPid = server.pid();

    server.stop();
    EXPECT_FALSE(server.isRunning());
    EXPECT_TRUE(server.command("ping").value(0).startsWith("ACK [harness]"));

    QElapsedTimer clock;
    clock.start();
    server.start();
    ASSERT_TRUE(server.isRunning());
    std::cout << "restart in " << clock.elapsed() << " ms\n";
    EXPECT_EQ(server.port(), port);
    EXPECT_NE(server.pid(), firstPid);
    EXPECT_EQ(server.value("stats", "songs"), "1");
    EXPECT_EQ(server.value("status", "playlistlength"), "1");
}

TEST(MpdServer, WithoutMixerVolumeIsUnknownAndBulkLibrariesLoad) {
    MpdServer server({.withMixer = false});
    ASSERT_TRUE(server.isRunning());
    // mpd 0.23 leaves the volume line out; libmpdclient then reports -1.
    EXPECT_TRUE(server.value("status", "volume").isNull());

    server.library().writeBulk(12, 3);
    server.update();
    EXPECT_EQ(server.value("stats", "songs"), "36");
    EXPECT_EQ(server.value("stats", "albums"), "12");
    EXPECT_EQ(
        server.value("lsinfo " + MpdServer::quote("Artist 001/Album 0011/03 Title.flac"), "Title"),
        "Title 03");
}

TEST(MpdServer, UsesAGivenMusicDirectoryAndNoticesADeadServer) {
    QTemporaryDir dir;
    TestLibrary own(dir.path());
    own.add("song.flac", {.title = "Given"}, 1, 24);
    MpdServer server({.musicDir = dir.path()});
    ASSERT_TRUE(server.isRunning());
    EXPECT_EQ(server.musicDir(), dir.path());
    EXPECT_EQ(server.value("lsinfo song.flac", "Format"), "44100:24:2");

    ::kill(pid_t(server.pid()), SIGKILL);
    QElapsedTimer clock;
    clock.start();
    while (server.isRunning() && clock.elapsed() < 2000)
        QThread::msleep(5);
    EXPECT_FALSE(server.isRunning());
}
