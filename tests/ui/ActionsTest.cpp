#include "WindowFixture.h"

#include "imageloading/ImageCache.h"
#include "ui/ErrorAlert.h"
#include "ui/NowPlayingBar.h"
#include "ui/Preferences.h"

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>

using namespace kelvane;
using namespace kelvane::test;

namespace {
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
} // namespace

TEST_F(WindowTest, MenuActionsCarryTheirShortcuts) {
    const struct {
        const char *id;
        const char *keys;
    } expected[] = {{"playButton", "Space"},
                    {"nextButton", "Ctrl+Right"},
                    {"previousButton", "Ctrl+Left"},
                    {"preferences", "Ctrl+,"},
                    {"quit", "Ctrl+Q"},
                    {"updateDataBase", "F5; Ctrl+U"},
                    {"addNewPlaylist", "Ctrl+N"},
                    {"connecter", "Ctrl+K"},
                    {"stopButton", "Ctrl+."},
                    {"showLibrary", "Ctrl+1"},
                    {"showRadio", "Ctrl+4"}};
    for (const auto &e : expected) {
        QAction *action = activity->action(QString::fromLatin1(e.id));
        ASSERT_TRUE(action) << e.id;
        QStringList keys;
        for (const QKeySequence &k : action->shortcuts())
            keys << k.toString();
        EXPECT_EQ(keys.join(QStringLiteral("; ")), QString::fromLatin1(e.keys)) << e.id;
    }
    for (const char *id :
         {"deconnecter", "purgeCoverCache", "saveCurrentPlayingList", "ajouterRadio"})
        EXPECT_TRUE(activity->action(QString::fromLatin1(id))) << id;

    activity->action(QStringLiteral("showRadio"))->trigger();
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Radio"));
}

TEST_F(WindowTest, PreferencesAndStreamEditorOpenAboveTheWindow) {
    activity->preferences();
    ASSERT_TRUE(activity->preferencesWindow());
    EXPECT_EQ(activity->preferencesWindow()->parentWidget(), activity->window());
    EXPECT_TRUE(activity->preferencesWindow()->isVisible());
    activity->preferencesWindow()->cancel();

    if (activity->action(QStringLiteral("ajouterRadio"))->isEnabled()) {
        activity->ajouterRadio();
        ASSERT_TRUE(activity->newStream());
        EXPECT_TRUE(activity->newStream()->isVisible());
        EXPECT_TRUE(activity->window()->isAncestorOf(activity->newStream()) ||
                    activity->newStream()->parentWidget() == activity->window());
        activity->newStream()->close();
    }
}

TEST_F(WindowTest, RefusedConnectionShowsOneAlertAndKeepsTheSidebar) {
    Setting::sSetting().setSessionServer(server->host(), closedPort());
    connecter();
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    QMessageBox *alert = activity->errorAlert()->current();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(activity->errorAlert()->pendingCount(), 0);
    // Playback buttons do nothing, the sidebar keeps its playlists.
    activity->playButton();
    activity->updateSidebar();
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta"}));
    alert->buttons()[0]->click();

    Setting::sSetting().setSessionServer(server->host(), server->port());
    QPointer<QWidget> before = activity->currentContentView();
    connecter();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    // The view on screen loads again from the server just reached, in place.
    EXPECT_EQ(activity->currentContentView(), before.data());
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));
    EXPECT_TRUE(waitUntil([&] { return !activity->errorAlert()->current(); }));
}

TEST_F(WindowTest, PurgeEmptiesBothCoverCaches) {
    ImageCache &cache = ImageCache::sharedImageCache();
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::green);
    bool stored = false;
    cache.storeImage(img, QStringLiteral("http://127.0.0.1:1/purge/cover.jpg"),
                     [&] { stored = true; });
    ASSERT_TRUE(waitUntil([&] { return stored; }));
    ASSERT_GT(cache.getDiskCount(), 0);
    activity->purgeCoverCache();
    EXPECT_EQ(cache.memoryCount(), 0);
    EXPECT_TRUE(waitUntil([&] { return cache.getDiskCount() == 0; }));
}

TEST_F(WindowTest, AStreamTurnsSeekingOffUntilAFileComesBack) {
    NowPlayingBar *bar = activity->window()->bar();
    MPDStatus stream;
    stream.state = 2;
    stream.path = QStringLiteral("https://127.0.0.1:9/live");
    activity->onTrackChange(stream);
    EXPECT_FALSE(bar->isSeekable());
    stream.path = QStringLiteral("Root Song.flac");
    stream.totalTime = 3;
    activity->onTrackChange(stream);
    EXPECT_TRUE(bar->isSeekable());
}

TEST_F(WindowTest, SavingPreferencesKeepsTheLiveConnection) {
    activity->preferences();
    Preferences *prefs = activity->preferencesWindow();
    ASSERT_TRUE(prefs);
    prefs->serverField()->setText(QStringLiteral("10.0.0.1"));
    prefs->portField()->setText(QStringLiteral("6601"));
    prefs->save();
    EXPECT_FALSE(prefs->isVisible());
    EXPECT_EQ(Setting::sSetting().storedHost(), QStringLiteral("10.0.0.1"));
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    Setting::sSetting().setHost(Setting::defaultHost());
    Setting::sSetting().setPort(Setting::defaultPort);
}
