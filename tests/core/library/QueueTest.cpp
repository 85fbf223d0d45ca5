// The play queue against a real server.
#include "LibraryFixture.h"
#include "support/ServerSuite.h"

#include "core/library/MPDQueue.h"
#include "core/mpd/MPDCache.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QStringList eight = {
    "The Beatles/Abbey Road/01 Come Together.flac",
    "The Beatles/Abbey Road/02 Something.flac",
    "The Beatles/Let It Be/01 Two of Us.flac",
    "Pink Floyd/The Wall/CD 1/01 In the Flesh.flac",
    "Pink Floyd/The Wall/CD 1/02 The Thin Ice.flac",
    "Pink Floyd/The Wall/CD 2/01 Hey You.flac",
    "Shared/Two Albums/01 Morning.flac",
    "Shared/Two Albums/02 Noon.flac",
};

Song songAt(const QString &uri) {
    Song s;
    s.setFullPath(uri);
    return s;
}

QStringList queuePaths() {
    QStringList out;
    for (const Song &s : MPDQueue::sMPDQueue().getQueue().value_or(QList<Song>()))
        out << s.fullPath();
    return out;
}

class Queue : public ServerSuite {
  protected:
    void SetUp() override {
        server->command(QStringLiteral("clear"));
        connectCoreTo(*server);
    }
    void TearDown() override { disconnectCore(); }

    void fillEight() {
        QList<Song> songs;
        for (const QString &uri : eight)
            songs << songAt(uri);
        MPDQueue::sMPDQueue().addToQueue(songs);
        ASSERT_EQ(queuePaths(), eight);
    }
};

} // namespace

TEST_F(Queue, EmptyQueueIsAnEmptyListAndNoConnectionIsNone) {
    const auto queue = MPDQueue::sMPDQueue().getQueue();
    ASSERT_TRUE(queue.has_value());
    EXPECT_TRUE(queue->isEmpty());
    EXPECT_TRUE(MPDQueue::sMPDQueue().getSongs(0).isEmpty());

    // A song without a path adds nothing (to the server "" would be the whole database).
    MPDQueue::sMPDQueue().addToQueue({Song(), songAt(QString(QLatin1String("")))});
    EXPECT_TRUE(MPDQueue::sMPDQueue().getQueue().value().isEmpty());

    disconnectCore();
    EXPECT_FALSE(MPDQueue::sMPDQueue().getQueue().has_value());
    MPDQueue::sMPDQueue().addToQueue({songAt(eight[0])}); // nothing happens
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("playlistlength")),
              QStringLiteral("0"));
}

TEST_F(Queue, AddedSongsComeBackInOrderWithTheQueueFields) {
    server->command(QStringLiteral("add \"Root Song.flac\""));
    MPDQueue::sMPDQueue().addToQueue(
        {songAt(QStringLiteral("Compilations/Summer Hits/01 Sun.flac")),
         songAt(QStringLiteral("Untitled.flac")),
         songAt(QStringLiteral("Compilations/Summer Hits/02 Sea.flac"))});
    const QList<Song> queue = MPDQueue::sMPDQueue().getQueue().value();
    ASSERT_EQ(queue.size(), 4);
    EXPECT_EQ(queue[0].fullPath(), QStringLiteral("Root Song.flac"));
    const Song &sun = queue[1];
    EXPECT_EQ(sun.fullPath(), QStringLiteral("Compilations/Summer Hits/01 Sun.flac"));
    EXPECT_EQ(sun.artist(), QStringLiteral("Singer A"));
    EXPECT_EQ(sun.albumArtist(), QStringLiteral("Various Artists"));
    EXPECT_EQ(sun.album(), QStringLiteral("Summer Hits"));
    EXPECT_EQ(sun.track(), 3);
    EXPECT_EQ(sun.date(), 2003);
    EXPECT_EQ(sun.genre(), QStringLiteral("Pop"));
    EXPECT_EQ(sun.duration(), 3.0f);
    // Not the queue's to fill.
    EXPECT_TRUE(sun.extension().isNull());
    EXPECT_EQ(sun.diskNb(), 0);
    EXPECT_EQ(sun.bits(), 0);
    EXPECT_EQ(queue[2].title(), QStringLiteral(""));
    EXPECT_EQ(queue[3].comment(), QStringLiteral(""));
    EXPECT_EQ(MPDQueue::sMPDQueue().getSongs(2).size(), 2);
    EXPECT_EQ(MPDQueue::sMPDQueue().getSongs(99).size(), 4);
}

TEST_F(Queue, StreamEntryComesBackAsItsAddress) {
    server->command(QStringLiteral("add \"http://127.0.0.1:9/radio.mp3\""));
    const QList<Song> queue = MPDQueue::sMPDQueue().getQueue().value();
    ASSERT_EQ(queue.size(), 1);
    EXPECT_EQ(queue[0].fullPath(), QStringLiteral("http://127.0.0.1:9/radio.mp3"));
    EXPECT_EQ(queue[0].title(), QStringLiteral(""));
    EXPECT_EQ(queue[0].artist(), QStringLiteral(""));
}

TEST_F(Queue, RemovingPositionsRemovesExactlyThoseSongs) {
    fillEight();
    MPDQueue::sMPDQueue().removeInQueue({2, 5, 7});
    EXPECT_EQ(queuePaths(), (QStringList{eight[0], eight[1], eight[3], eight[4], eight[6]}));

    MPDQueue::sMPDQueue().removeInQueue({0, 1, 2});
    EXPECT_EQ(queuePaths(), (QStringList{eight[4], eight[6]}));

    server->command(QStringLiteral("clear"));
    fillEight();
    MPDQueue::sMPDQueue().removeInQueue({3});
    EXPECT_EQ(queuePaths().size(), 7);
    EXPECT_FALSE(queuePaths().contains(eight[3]));

    // Given out of order or twice, still the songs that were picked, and only those.
    server->command(QStringLiteral("clear"));
    fillEight();
    MPDQueue::sMPDQueue().removeInQueue({7, 2, 5, 2, -1});
    EXPECT_EQ(queuePaths(), (QStringList{eight[0], eight[1], eight[3], eight[4], eight[6]}));
}

TEST_F(Queue, SavedQueueBecomesAStoredPlaylist) {
    fillEight();
    MPDQueue::sMPDQueue().saveQueueAtPlaylist(QStringLiteral("Saved été"));
    QStringList stored;
    for (const QString &line : server->command(QStringLiteral("listplaylist \"Saved été\"")))
        stored << line.mid(6); // "file: "
    EXPECT_EQ(stored, eight);
    server->command(QStringLiteral("rm \"Saved été\""));
}

TEST_F(Queue, RefusedAddIsOneAlertAndPollingGoesOn) {
    AlertRecorder alerts;
    MPDQueue::sMPDQueue().addToQueue(
        {songAt(QStringLiteral("No/Such/Song.flac")), songAt(eight[0])});
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    // In French, with the server's own words as the detail.
    EXPECT_EQ(alerts.alerts[0].error, QStringLiteral("Introuvable sur le serveur"));
    EXPECT_TRUE(alerts.alerts[0].errorDescription.endsWith(
        QStringLiteral("Réponse du serveur : « No such directory »")))
        << qPrintable(alerts.alerts[0].errorDescription);
    // The rest still went through, and the connection and the poll live on.
    EXPECT_EQ(queuePaths(), (QStringList{eight[0]}));
    MPDCache::sMPDCache().setStatus(std::nullopt);
    ASSERT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getStatus().has_value(); }, 2000));
    spin(300);
    EXPECT_EQ(alerts.alerts.size(), 1);
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
}
