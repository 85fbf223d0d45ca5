// Changes made by another client reach the listeners through the server's idle, with no
// poll at all: counted in status reads, not in milliseconds.
#include "EventRecorder.h"

#include "core/mpd/MPDSocket.h"
#include "core/mpd/PlayerEvents.h"
#include "core/settings/Setting.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"
#include "support/Wait.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class IdleChanges : public ServerSuite {
  protected:
    void SetUp() override {
        recorder = std::make_unique<EventRecorder>();
        server->command(QStringLiteral("clear"));
        server->command(QStringLiteral("add \"The Beatles\""));
        server->command(QStringLiteral("add \"Pink Floyd\""));
        server->command(QStringLiteral("play 0"));
        Setting::sSetting().setSessionServer(server->host(), server->port());
        MPDSocket &socket = MPDSocket::sMPDSocket();
        socket.connect();
        // No tick at all: only the idle watcher can bring changes in.
        socket.setTickInterval(0);
        ASSERT_TRUE(waitUntil([&] { return socket.isIdleActive(); }));
        ASSERT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getStatus().has_value(); }));
        QObject::connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::queueChanged, &context,
                         [this] { recorder->log << QStringLiteral("queueChanged"); });
        QObject::connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::storedPlaylistsChanged,
                         &context, [this] { recorder->log << QStringLiteral("playlistsChanged"); });
        QObject::connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::optionsChanged, &context,
                         [this](const PlayerOptions &o) {
                             recorder->log << QStringLiteral("random:%1").arg(o.random);
                         });
        recorder->log.clear();
    }
    void TearDown() override {
        MPDSocket::sMPDSocket().setTickInterval(MPDSocket::pollIntervalMs);
        MPDSocket::sMPDSocket().disconnect();
        server->command(QStringLiteral("random 0"));
    }

    std::unique_ptr<EventRecorder> recorder;
    QObject context;
};

} // namespace

TEST_F(IdleChanges, OtherClientsChangesArriveWithoutAnyPoll) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    EXPECT_FALSE(MPDSocket::sMPDSocket().tickInterval() > 0);
    const quint64 before = socket.statusReads();

    server->mpc({QStringLiteral("next")});
    ASSERT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("queueTrack:1")); }, 2000));
    EXPECT_TRUE(recorder->log.contains(QStringLiteral("track:1:Something")));

    server->mpc({QStringLiteral("volume"), QStringLiteral("42")});
    ASSERT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("volume:42")); }, 2000));

    server->mpc({QStringLiteral("random"), QStringLiteral("on")});
    ASSERT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("random:1")); }, 2000));

    server->mpc({QStringLiteral("add"), QStringLiteral("ABBA")});
    ASSERT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("queueChanged")); }, 2000));

    server->mpc({QStringLiteral("save"), QStringLiteral("From mpc")});
    ASSERT_TRUE(waitUntil(
        [&] { return recorder->log.contains(QStringLiteral("playlistsChanged")); }, 2000));
    server->mpc({QStringLiteral("rm"), QStringLiteral("From mpc")});

    // One status read per change the server reported, none on a clock.
    const quint64 reads = socket.statusReads() - before;
    EXPECT_GE(reads, 4u);
    EXPECT_LE(reads, 8u);
    const quint64 quiet = socket.statusReads();
    spin(600);
    EXPECT_EQ(socket.statusReads(), quiet) << "nothing changed: nothing read";
    EXPECT_TRUE(recorder->errors.isEmpty());
}

TEST_F(IdleChanges, EventsKeepTheirOrderWhenIdleAndTicksCross) {
    // Ticks every 10 ms hand MPDCache interpolated snapshots while the server's changes
    // come in through idle: every skip shows once, in order.
    MPDSocket::sMPDSocket().setTickInterval(10);
    for (int i = 0; i < 5; ++i) {
        server->command(QStringLiteral("next"));
        spin(15 + 7 * i);
    }
    ASSERT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("queueTrack:5")); }, 3000));
    spin(100);
    const QStringList tracks =
        recorder->log.filter(QRegularExpression(QStringLiteral("^queueTrack:")));
    EXPECT_EQ(tracks, (QStringList{"queueTrack:1", "queueTrack:2", "queueTrack:3", "queueTrack:4",
                                   "queueTrack:5"}));
}

TEST_F(IdleChanges, TheIdleConnectionComesBackWithTheRest) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    socket.setRetryUnitMs(100);
    server->stop();
    ASSERT_TRUE(waitUntil([&] { return recorder->errors.size() == 1; }, 3000));
    EXPECT_FALSE(socket.isIdleActive());
    server->start();
    ASSERT_TRUE(waitUntil([&] { return socket.isIdleActive(); }, 5000));
    recorder->log.clear();
    server->mpc({QStringLiteral("volume"), QStringLiteral("17")});
    EXPECT_TRUE(
        waitUntil([&] { return recorder->log.contains(QStringLiteral("volume:17")); }, 2000));
    EXPECT_EQ(recorder->errors.size(), 1);
    socket.setRetryUnitMs(1000);
}
