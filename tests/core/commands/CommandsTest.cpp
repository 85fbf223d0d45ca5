// Playback commands against a real server, with the poll running.
#include "core/library/LibraryFixture.h"
#include "support/ServerSuite.h"

#include "core/commands/MPDCommand.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/CommandThread.h"
#include "core/mpd/MPDCache.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// Sits in the listener slots the commands drive and writes each event down.
class Events : public MPDAppDelegate, public MPDAlbumDelegate {
  public:
    Events() {
        MPDCache::sMPDCache().setDelegate(this);
        MPDCache::sMPDCache().setDelegateAlbum(this);
    }
    ~Events() override { MPDCache::sMPDCache().release(this); }
    void onProgressChange(const MPDStatus &) override {}
    void onAlbumUpdateTrigger(const QString &text) override {
        log << QStringLiteral("albumUpdate:") + text;
    }
    void onStateChange(qint32 state) override { log << QStringLiteral("state:%1").arg(state); }
    void onTrackChange(const MPDStatus &s) override {
        log << QStringLiteral("track:%1").arg(s.titlePosition);
    }
    void onVolumeChange(quint32) override {}
    void onDbUpdate() override { log << QStringLiteral("dbUpdate"); }
    QStringList log;
};

const QString come = QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac");
const QString something = QStringLiteral("The Beatles/Abbey Road/02 Something.flac");

class Commands : public ServerSuite {
  protected:
    void SetUp() override {
        server->command(QStringLiteral("stop"));
        server->command(QStringLiteral("clear"));
        connectCoreTo(*server);
        ASSERT_TRUE(pollSees(QStringLiteral("1")));
    }
    void TearDown() override { disconnectCore(); }

    QString state() { return server->value(QStringLiteral("status"), QStringLiteral("state")); }
    QString song() { return server->value(QStringLiteral("status"), QStringLiteral("song")); }
    // Waits until the poll's snapshot shows this state ("1" stopped, "2" playing, "3" paused).
    bool pollSees(const QString &st) {
        return waitUntil(
            [&] {
                const auto s = MPDCache::sMPDCache().getStatus();
                return s && QString::number(s->state) == st;
            },
            3000);
    }
    QStringList queue() {
        QStringList out;
        for (const QString &line : server->command(QStringLiteral("playlist")))
            out << line.section(QStringLiteral(":file: "), 1);
        return out;
    }
    void queueTwoAndPlay() {
        server->command(QStringLiteral("add \"") + come + u'"');
        server->command(QStringLiteral("add \"") + something + u'"');
        server->command(QStringLiteral("play 0"));
        ASSERT_TRUE(pollSees(QStringLiteral("2")));
    }

    MPDCommand &mpd = MPDCommand::sMPDCommand();
};

} // namespace

TEST_F(Commands, PlayToggleStartsPausesResumesAndReportsAfreshAfterStop) {
    queueTwoAndPlay();
    mpd.play();
    EXPECT_EQ(state(), QStringLiteral("pause"));
    ASSERT_TRUE(pollSees(QStringLiteral("3")));
    mpd.play();
    EXPECT_EQ(state(), QStringLiteral("play"));
    ASSERT_TRUE(pollSees(QStringLiteral("2")));

    mpd.stop();
    ASSERT_TRUE(pollSees(QStringLiteral("1")));
    Events events;
    mpd.play();
    EXPECT_EQ(state(), QStringLiteral("play"));
    // Same song at the same position, yet the track and the state are reported again.
    ASSERT_TRUE(waitUntil([&] { return events.log.contains(QStringLiteral("state:2")); }));
    EXPECT_TRUE(events.log.contains(QStringLiteral("track:0")));
}

TEST_F(Commands, PlayWithoutSnapshotIsAPlainPlay) {
    server->command(QStringLiteral("add \"") + come + u'"');
    MPDSocket::sMPDSocket().stopTimer();
    MPDCache::sMPDCache().setStatus(std::nullopt);
    mpd.play();
    EXPECT_EQ(state(), QStringLiteral("play"));
}

TEST_F(Commands, NextAndPreviousOnlyWhilePlayingOrPausedAndNotPastTheEnd) {
    server->command(QStringLiteral("add \"") + come + u'"');
    server->command(QStringLiteral("add \"") + something + u'"');
    mpd.next(); // stopped
    mpd.previous();
    EXPECT_EQ(state(), QStringLiteral("stop"));

    server->command(QStringLiteral("play 0"));
    ASSERT_TRUE(pollSees(QStringLiteral("2")));
    mpd.next();
    EXPECT_EQ(song(), QStringLiteral("1"));
    mpd.next(); // the last entry: nothing, playback goes on
    EXPECT_EQ(song(), QStringLiteral("1"));
    EXPECT_EQ(state(), QStringLiteral("play"));

    server->command(QStringLiteral("pause 1"));
    ASSERT_TRUE(pollSees(QStringLiteral("3")));
    mpd.previous();
    EXPECT_EQ(song(), QStringLiteral("0"));
}

TEST_F(Commands, SeekOnlyWhilePlayingAndVolume) {
    queueTwoAndPlay();
    mpd.seekPosition(120.0f);
    EXPECT_GE(server->value(QStringLiteral("status"), QStringLiteral("elapsed")).toDouble(), 119.0);

    server->command(QStringLiteral("pause 1"));
    ASSERT_TRUE(pollSees(QStringLiteral("3")));
    mpd.seekPosition(10.0f);
    EXPECT_GE(server->value(QStringLiteral("status"), QStringLiteral("elapsed")).toDouble(), 119.0);

    mpd.setVolume(42);
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("volume")),
              QStringLiteral("42"));
}

TEST_F(Commands, PlayAlbumTakesTheSongsOfThatAlbumInTheDirectory) {
    server->command(QStringLiteral("add \"Root Song.flac\""));
    mpd.playAlbum(QStringLiteral("Vinyl Days"), QStringLiteral("Shared/Two Albums"),
                  MPDCommand::noPosition);
    EXPECT_EQ(queue(), (QStringList{"Shared/Two Albums/03 Side A.flac",
                                    "Shared/Two Albums/04 Side B.flac"}));
    EXPECT_EQ(state(), QStringLiteral("play"));
    EXPECT_EQ(song(), QStringLiteral("0"));

    mpd.playAlbum(QStringLiteral("First Light"), QStringLiteral("Shared/Two Albums"), 1);
    EXPECT_EQ(queue(),
              (QStringList{"Shared/Two Albums/01 Morning.flac", "Shared/Two Albums/02 Noon.flac"}));
    EXPECT_EQ(song(), QStringLiteral("1"));

    // An album without an Album tag is the songs without one, not those with an empty one.
    mpd.playAlbum(QString(), QString(QLatin1String("")), MPDCommand::noPosition);
    EXPECT_EQ(queue(), (QStringList{"No Album.flac"}));

    // A name no song has (the album renamed meanwhile): the queue stays, and says why.
    AlertRecorder alerts;
    mpd.playAlbum(QStringLiteral("first light"), QStringLiteral("Shared/Two Albums"),
                  MPDCommand::noPosition);
    EXPECT_EQ(queue(), (QStringList{"No Album.flac"}));
    EXPECT_EQ(state(), QStringLiteral("play"));
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    EXPECT_EQ(alerts.alerts[0].error, QStringLiteral("Rien à lire"));
}

// Every "replace the queue and play" reads what it will play first: when there is
// nothing (an album gone, renamed or shorter, an empty or shortened playlist, no
// stream address), the user's queue stays as it was, still playing, and one alert says so.
TEST_F(Commands, NothingToPlayLeavesTheQueueAndSaysSo) {
    queueTwoAndPlay();
    const QStringList before{come, something};
    Song a;
    a.setFullPath(come);
    const struct {
        const char *what;
        std::function<void()> play;
        const char *title; // null: the server's own refusal
    } cases[] = {
        {"album renamed",
         [&] {
             mpd.playAlbum(QStringLiteral("Abbey Road (Remaster)"),
                           QStringLiteral("The Beatles/Abbey Road"), MPDCommand::noPosition);
         },
         "Rien à lire"},
        {"directory gone",
         [&] {
             mpd.playAlbum(QStringLiteral("Abbey Road"), QStringLiteral("The Beatles/Gone"),
                           MPDCommand::noPosition);
         },
         nullptr},
        {"position past the album's end",
         [&] {
             mpd.playAlbum(QStringLiteral("Abbey Road"), QStringLiteral("The Beatles/Abbey Road"),
                           2);
         },
         "Rien à lire"},
        {"no songs", [&] { mpd.playAlbum(QStringList{QString()}, 0); }, "Rien à lire"},
        {"empty playlist", [&] { mpd.playPlaylist({}, 0); }, "Rien à lire"},
        {"position past the playlist's end", [&] { mpd.playPlaylist({a}, 1); }, "Rien à lire"},
        {"a playlist file's first line", [&] { mpd.playStream(QStringLiteral("[playlist]")); },
         "Adresse de flux invalide"},
        {"a scheme without host", [&] { mpd.playStream(QStringLiteral("http://")); },
         "Adresse de flux invalide"},
        {"an address with a blank",
         [&] { mpd.playStream(QStringLiteral("http://radio.example/a stream")); },
         "Adresse de flux invalide"},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        AlertRecorder alerts;
        test.play();
        ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
        spin(100);
        EXPECT_EQ(alerts.alerts.size(), 1);
        if (test.title) {
            EXPECT_EQ(alerts.alerts[0].error, QString::fromUtf8(test.title));
        }
        EXPECT_EQ(queue(), before);
        EXPECT_EQ(state(), QStringLiteral("play"));
        EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    }
    // A playlist played without a position starts at its top.
    Song b;
    b.setFullPath(something);
    mpd.playPlaylist({b, a}, MPDCommand::noPosition);
    EXPECT_EQ(queue(), (QStringList{something, come}));
    EXPECT_EQ(song(), QStringLiteral("0"));
}

TEST_F(Commands, PlayUrisFromTheStartOrFromAPosition) {
    mpd.playAlbum(QStringList{come, something}, MPDCommand::noPosition);
    EXPECT_EQ(queue(), (QStringList{come, something}));
    EXPECT_EQ(song(), QStringLiteral("0"));
    mpd.playAlbum(QStringList{something, come}, 0);
    EXPECT_EQ(queue(), (QStringList{something, come}));
    EXPECT_EQ(song(), QStringLiteral("0"));
    mpd.playQueuePosition(1);
    EXPECT_EQ(song(), QStringLiteral("1"));

    Song a, b;
    a.setFullPath(come);
    b.setFullPath(something);
    mpd.playPlaylist({a, b, a}, 2);
    EXPECT_EQ(queue(), (QStringList{come, something, come}));
    EXPECT_EQ(song(), QStringLiteral("2"));
}

TEST_F(Commands, RefusedStreamAddressIsOneAlertAndPollingGoesOn) {
    AlertRecorder alerts;
    mpd.playStream(QStringLiteral("nosuchscheme://radio/stream"));
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    spin(300);
    EXPECT_EQ(alerts.alerts.size(), 1);
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    // Commands still work on the same connection.
    mpd.playAlbum(QStringList{come}, MPDCommand::noPosition);
    EXPECT_EQ(state(), QStringLiteral("play"));

    mpd.playStream(QString()); // nothing: "" would be the whole database
    EXPECT_EQ(queue(), (QStringList{come}));
    mpd.playStream(QStringLiteral("http://127.0.0.1:9/radio.mp3"));
    EXPECT_EQ(queue(), (QStringList{"http://127.0.0.1:9/radio.mp3"}));
}

TEST_F(Commands, CommandsToAFrozenServerReturnAtOnceAndArriveInOrder) {
    server->freeze();
    mpd.playAlbum(QStringList{come, something}, MPDCommand::noPosition);
    mpd.setVolume(30);
    Song again;
    again.setFullPath(come);
    MPDQueue::sMPDQueue().addToQueue({again});
    mpd.playQueuePosition(2);
    // Every call has returned, and the server has answered none of them yet.
    EXPECT_GE(CommandThread::sCommandThread().pending(), 4u);
    server->thaw();
    EXPECT_EQ(queue(), (QStringList{come, something, come}));
    EXPECT_EQ(song(), QStringLiteral("2"));
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("volume")),
              QStringLiteral("30"));
}

TEST_F(Commands, NothingIsSentWhenNotConnected) {
    server->command(QStringLiteral("add \"") + come + u'"');
    disconnectCore();
    mpd.play();
    mpd.playAlbum(QStringList{something}, 0);
    mpd.playStream(QStringLiteral("http://127.0.0.1:9/x"));
    mpd.updateDB();
    EXPECT_EQ(state(), QStringLiteral("stop"));
    EXPECT_EQ(queue(), (QStringList{come}));
    EXPECT_FALSE(mpd.isUpdating());
}
