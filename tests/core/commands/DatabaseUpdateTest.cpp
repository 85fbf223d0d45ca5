// The database update: looks at the server on the second connection until it is done,
// polling going on meanwhile, then a fresh album list, a fresh connection and the views
// told.
#include "core/library/LibraryFixture.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDCache.h"

#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class UpdateEvents : public MPDAppDelegate, public MPDAlbumDelegate {
  public:
    UpdateEvents() {
        MPDCache::sMPDCache().setDelegate(this);
        MPDCache::sMPDCache().setDelegateAlbum(this);
    }
    ~UpdateEvents() override { MPDCache::sMPDCache().release(this); }
    void onProgressChange(const MPDStatus &) override {}
    void onAlbumUpdateTrigger(const QString &text) override { log << text; }
    void onStateChange(qint32) override {}
    void onTrackChange(const MPDStatus &) override {}
    void onVolumeChange(quint32) override {}
    void onDbUpdate() override {
        log << QStringLiteral("onDbUpdate");
        albumsAtEnd = MPDCache::sMPDCache().getCurrentAlbumList();
        onGuiThread = QThread::currentThread() == qApp->thread();
    }
    QStringList log;
    std::optional<QList<Album>> albumsAtEnd;
    bool onGuiThread = false;
};

} // namespace

TEST(DatabaseUpdate, GrowingLibraryIsWaitedForUntilTheServerIsDone) {
    MpdServer server;
    server.library().writeBulk(4, 2);
    server.update();
    connectCoreTo(server);
    MPDCommand &mpd = MPDCommand::sMPDCommand();
    mpd.setUpdatePollInterval(50);
    UpdateEvents events;
    MPDCache::sMPDCache().setCurrentAlbumList(QList<Album>());

    // Enough new albums that the server is still scanning when the first looks are taken.
    server.library().writeBulk(120, 4);
    mpd.updateDB();
    EXPECT_TRUE(mpd.isUpdating());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_FALSE(MPDCache::sMPDCache().getCurrentAlbumList().has_value());
    // A connect meanwhile is made, and the wait goes on over the new connection.
    mpd.connect();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(mpd.isUpdating());
    mpd.updateDB(); // one update at a time
    // The looks never sit on the shared pool: with one thread there, other work runs
    // while the update is waited for (radio pages and stream resolution starved).
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    std::atomic<bool> ran{false};
    QThreadPool::globalInstance()->start([&ran] { ran = true; });
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }, 1000));
    EXPECT_TRUE(mpd.isUpdating());
    ASSERT_TRUE(
        waitUntil([&] { return events.log.contains(QStringLiteral("onDbUpdate")); }, 30000));
    QThreadPool::globalInstance()->setMaxThreadCount(threads);

    EXPECT_EQ(events.log,
              (QStringList{"Mise à jour de la base MPD...", "onDbUpdate", "dbUpdateFinish"}));
    EXPECT_TRUE(events.onGuiThread);
    ASSERT_TRUE(events.albumsAtEnd.has_value());
    EXPECT_EQ(events.albumsAtEnd->size(), 120); // the bulk names repeat: 120 albums in all
    EXPECT_FALSE(mpd.isUpdating());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(server.value(QStringLiteral("status"), QStringLiteral("updating_db")).isNull());
    MPDSocket::sMPDSocket().disconnect();
}

TEST(DatabaseUpdate, RefusedUpdateEndsAtOnceWithPollingRestarted) {
    MpdServer server;
    server.library().writeBulk(2, 1);
    server.update();
    connectCoreTo(server);
    AlertRecorder alerts;
    UpdateEvents events;
    const QList<Album> shown = {
        Album{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A/B"), {}, 0, {}}};
    MPDCache::sMPDCache().setCurrentAlbumList(shown);

    MPDCommand::sMPDCommand().updateDB(QStringLiteral("../outside"));
    ASSERT_TRUE(waitUntil([&] { return alerts.alerts.size() == 1; }, 2000));
    EXPECT_EQ(alerts.alerts[0].error, QStringLiteral("Requête refusée par le serveur"));
    EXPECT_TRUE(alerts.alerts[0].errorDescription.endsWith(
        QStringLiteral("Réponse du serveur : « Malformed path »")))
        << qPrintable(alerts.alerts[0].errorDescription);
    EXPECT_EQ(events.log,
              (QStringList{"Mise à jour de la base MPD...", "onDbUpdate", "dbUpdateFinish"}));
    EXPECT_FALSE(MPDCommand::sMPDCommand().isUpdating());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_EQ(MPDCache::sMPDCache().getCurrentAlbumList(), std::optional<QList<Album>>(shown));
    spin(200);
    EXPECT_EQ(alerts.alerts.size(), 1);
    MPDSocket::sMPDSocket().disconnect();
}
