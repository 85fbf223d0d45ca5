// Change detection fed with hand-made snapshots: which events fire, in which order.
#include "EventRecorder.h"

#include <gtest/gtest.h>

using namespace kelvane;
using kelvane::test::EventRecorder;

namespace {
MPDStatus snapshot(qint32 position, const QString &title, qint32 state = 2, quint32 volume = 50) {
    MPDStatus s;
    s.album = QStringLiteral("Album");
    s.title = title;
    s.titlePosition = position;
    s.state = state;
    s.volume = volume;
    return s;
}

class ChangeDetection : public ::testing::Test {
  protected:
    void SetUp() override {
        // The cache is process-wide: bring it to a known point, where the next
        // snapshot is a progress one, as the first poll after start is.
        MPDCache &cache = MPDCache::sMPDCache();
        recorder = std::make_unique<EventRecorder>();
        cache.setStatus(snapshot(-7, QStringLiteral("warm-up"), 0, 0));
        if (recorder->progressCount == 1) cache.setStatus(std::nullopt);
        cache.resetStatus();
        recorder->log.clear();
        recorder->progressCount = 0;
    }
    std::unique_ptr<EventRecorder> recorder;
};
} // namespace

TEST_F(ChangeDetection, FirstSnapshotFiresTrackVolumeAndStateInOrder) {
    MPDCache::sMPDCache().resetStatus();
    MPDCache::sMPDCache().setStatus(snapshot(0, QStringLiteral("One"), 2, 40));
    EXPECT_EQ(recorder->log, (QStringList{"track:0:One", "queueTrack:0", "volume:40",
                                          "queueState:2:0", "state:2"}));
}

TEST_F(ChangeDetection, ProgressFiresOnEverySecondSnapshot) {
    for (int i = 0; i < 6; ++i)
        MPDCache::sMPDCache().setStatus(snapshot(0, QStringLiteral("One")));
    EXPECT_EQ(recorder->progressCount, 3);
}

TEST_F(ChangeDetection, NoneSnapshotFiresNothingButCountsForProgress) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(snapshot(0, QStringLiteral("One"))); // progress
    cache.setStatus(std::nullopt);
    EXPECT_FALSE(cache.getStatus().has_value());
    cache.setStatus(snapshot(0, QStringLiteral("One"))); // progress again: the none took a turn
    cache.setStatus(std::nullopt);
    cache.setStatus(snapshot(0, QStringLiteral("One")));
    EXPECT_EQ(recorder->progressCount, 3);
    EXPECT_EQ(recorder->log.filter(QStringLiteral("track:")), QStringList{"track:0:One"});
}

TEST_F(ChangeDetection, SameSongAgainFiresNoTrackUnlessReset) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(snapshot(3, QStringLiteral("Song")));
    recorder->log.clear();
    cache.setStatus(snapshot(3, QStringLiteral("Song"), 1)); // stopped
    cache.setStatus(snapshot(3, QStringLiteral("Song"), 2)); // restarted
    EXPECT_EQ(recorder->log,
              (QStringList{"queueState:1:3", "state:1", "queueState:2:3", "state:2"}));

    recorder->log.clear();
    cache.resetStatus();
    cache.setStatus(snapshot(3, QStringLiteral("Song"), 2));
    EXPECT_EQ(recorder->log,
              (QStringList{"track:3:Song", "queueTrack:3", "queueState:2:3", "state:2"}));
}

TEST_F(ChangeDetection, SameAlbumAndTitleAtAnotherPositionIsAnotherTrack) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(snapshot(1, QStringLiteral("Twice")));
    recorder->log.clear();
    cache.setStatus(snapshot(2, QStringLiteral("Twice")));
    EXPECT_EQ(recorder->log, (QStringList{"track:2:Twice", "queueTrack:2"}));
    EXPECT_EQ(cache.getPosition(), 2);
}

TEST_F(ChangeDetection, StreamTitleChangeIsATrackChange) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(snapshot(0, QStringLiteral("Artist - First")));
    recorder->log.clear();
    cache.setStatus(snapshot(0, QStringLiteral("Artist - Second")));
    EXPECT_EQ(recorder->log, (QStringList{"track:0:Artist - Second", "queueTrack:0"}));
}

TEST_F(ChangeDetection, MissingTextsGiveOneStableKey) {
    MPDStatus untagged;
    untagged.titlePosition = 4;
    untagged.state = 2;
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(untagged);
    recorder->log.clear();
    cache.setStatus(untagged);
    EXPECT_TRUE(recorder->log.isEmpty());
    EXPECT_EQ(MPDCache::trackKey(untagged), QStringLiteral("(null)(null)4"));
}

TEST_F(ChangeDetection, EmptySlotDropsOnlyItsEvents) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setDelegateQueue(nullptr);
    cache.resetStatus();
    cache.setStatus(snapshot(5, QStringLiteral("Five"), 3, 51));
    EXPECT_EQ(recorder->log, (QStringList{"track:5:Five", "volume:51", "state:3"}));
}

TEST_F(ChangeDetection, VolumeWithoutMixerIsReportedOnce) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(snapshot(0, QStringLiteral("One"), 2, 4294967295u));
    cache.setStatus(snapshot(0, QStringLiteral("One"), 2, 4294967295u));
    cache.setStatus(snapshot(0, QStringLiteral("One"), 2, 4294967295u));
    EXPECT_EQ(recorder->log.filter(QStringLiteral("volume:")), QStringList{"volume:4294967295"});
}

TEST_F(ChangeDetection, TriggersReachTheirSlots) {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.albumUpdateTrigger(QStringLiteral("Mise à jour de la base MPD..."));
    cache.dbUpdated();
    EXPECT_EQ(recorder->log, (QStringList{"albumUpdate:Mise à jour de la base MPD...", "dbUpdate",
                                          "albumUpdate:dbUpdateFinish"}));
}

TEST_F(ChangeDetection, ReleasedListenerGetsNothing) {
    recorder.reset();
    MPDCache::sMPDCache().resetStatus();
    MPDCache::sMPDCache().setStatus(snapshot(0, QStringLiteral("Nobody listens")));
    EXPECT_EQ(MPDCache::sMPDCache().delegate(), nullptr);
}
