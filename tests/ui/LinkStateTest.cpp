// The window through a server outage: what the bar says, what it lets the user do, and
// what it reads again once the server is back.
#include "WindowFixture.h"

#include "core/library/MPDQueue.h"
#include "ui/ErrorAlert.h"
#include "ui/NowPlayingBar.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace kelvane::test {
namespace {

class LinkStateTest : public WindowTest {
  protected:
    QString linkText() const {
        return activity->window()->bar()->findChild<QLabel *>(QStringLiteral("linkState"))->text();
    }
    bool transportEnabled() const {
        const auto buttons = activity->window()->bar()->findChildren<QToolButton *>();
        bool any = false;
        for (QToolButton *b : buttons)
            if (b->toolTip() == QStringLiteral("Suivant")) any = b->isEnabled();
        return any;
    }
    void TearDown() override {
        if (!server->isRunning()) server->start();
        waitUntil([] { return MPDSocket::sMPDSocket().isConnected(); }, 20000);
        WindowTest::TearDown();
    }
};

TEST_F(LinkStateTest, AnOutageShowsInTheBarAndHealsByItselfWithWhatChangedMeanwhile) {
    activity->window()->show();
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(linkText().isEmpty());
    EXPECT_TRUE(transportEnabled());

    server->kill();
    ASSERT_TRUE(waitUntil(
        [&] {
            return linkText().startsWith(QStringLiteral("Déconnecté — nouvelle tentative dans "));
        },
        8000))
        << qPrintable(linkText());
    EXPECT_TRUE(linkText().endsWith(QStringLiteral(" s")));
    EXPECT_FALSE(transportEnabled());
    // One alert for the outage, however many retries fail behind it.
    QMessageBox *alert = activity->errorAlert()->current();
    ASSERT_TRUE(alert);
    spin(2500);
    EXPECT_EQ(activity->errorAlert()->current(), alert);
    EXPECT_EQ(activity->errorAlert()->pendingCount(), 0);
    alert->buttons()[0]->click();

    // A playlist saved while we were away shows once the server is back.
    QFile gamma(server->playlistDir() + QStringLiteral("/Gamma.m3u"));
    ASSERT_TRUE(gamma.open(QIODevice::WriteOnly));
    gamma.write("Root Song.flac\n");
    gamma.close();
    server->start();
    ASSERT_TRUE(waitUntil([] { return MPDSocket::sMPDSocket().isConnected(); }, 20000));
    EXPECT_TRUE(
        waitUntil([&] { return sideBar()->playlists().contains(QStringLiteral("Gamma")); }, 5000))
        << qPrintable(sideBar()->playlists().join(QLatin1Char(',')));
    EXPECT_TRUE(linkText().isEmpty());
    EXPECT_TRUE(transportEnabled());
    EXPECT_FALSE(activity->errorAlert()->current());
}

TEST_F(LinkStateTest, AnOutageAlertClosesItselfWhenTheLinkHealsAndOtherAlertsStay) {
    activity->window()->show();
    ErrorAlert *alerts = activity->errorAlert();
    const auto outageBack = [&] {
        server->start();
        return waitUntil([] { return MPDSocket::sMPDSocket().link() == MPDSocket::Link::Up; },
                         20000);
    };

    // Nobody clicks: once the server is back the window is free again by itself.
    server->kill();
    ASSERT_TRUE(waitUntil([&] { return alerts->current() != nullptr; }, 8000));
    const QPointer<QMessageBox> outage = alerts->current();
    EXPECT_EQ(outage->text(), QStringLiteral("Connexion fermée par le serveur"));
    ASSERT_TRUE(outageBack());
    EXPECT_TRUE(waitUntil([&] { return outage.isNull(); }));
    EXPECT_FALSE(alerts->current());

    // An alert about something the server refused still waits for its reader; the
    // outage that queued behind it goes when the link heals.
    Song missing;
    missing.setFullPath(QStringLiteral("Nowhere/none.flac"));
    MPDQueue::sMPDQueue().insertSongs({missing}, 0);
    ASSERT_TRUE(waitUntil([&] { return alerts->current() != nullptr; }));
    const QPointer<QMessageBox> refusal = alerts->current();
    server->kill();
    ASSERT_TRUE(waitUntil([&] { return alerts->pendingCount() == 1; }, 8000));
    ASSERT_TRUE(outageBack());
    EXPECT_EQ(alerts->pendingCount(), 0);
    EXPECT_EQ(alerts->current(), refusal.data());
    refusal->buttons()[0]->click();
    EXPECT_TRUE(waitUntil([&] { return refusal.isNull(); }));
    EXPECT_FALSE(alerts->current());
}

TEST_F(LinkStateTest, DisconnectingStopsTheRetriesAndSaysSo) {
    server->kill();
    ASSERT_TRUE(waitUntil(
        [] { return MPDSocket::sMPDSocket().link() == MPDSocket::Link::Retrying; }, 8000));
    if (QMessageBox *alert = activity->errorAlert()->current()) alert->buttons()[0]->click();
    activity->deconnecter();
    EXPECT_EQ(linkText(), QStringLiteral("Déconnecté"));
    server->start();
    spin(2500); // a retry would have come by now
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(transportEnabled());
    connecter(); // "Connecter" tries at once
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(linkText().isEmpty());
}

// The menu's Connecter and Déconnecter while a database update is waited for: both are
// made, and the update's wait follows them.
TEST_F(LinkStateTest, ConnectAndDisconnectDuringAnUpdateAreMade) {
    QList<MPDSocket::Link> links;
    const auto watch =
        QObject::connect(&MPDSocket::sMPDSocket(), &MPDSocket::linkChanged,
                         [&](MPDSocket::Link link, const QString &) { links << link; });
    activity->updateDataBase();
    ASSERT_TRUE(MPDCommand::sMPDCommand().isUpdating());
    connecter();
    EXPECT_EQ(links, (QList<MPDSocket::Link>{MPDSocket::Link::Connecting, MPDSocket::Link::Up}));
    // The wait goes on over the new connection until the update has settled.
    ASSERT_TRUE(waitUntil([&] { return !activity->dbUpdating(); }, 20000));
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_GE(MPDCache::sMPDCache().getCurrentAlbumList().value_or(QList<Album>()).size(), 14);

    activity->updateDataBase();
    ASSERT_TRUE(MPDCommand::sMPDCommand().isUpdating());
    links.clear();
    activity->deconnecter();
    // Off at once; the update's message goes with the wait, the albums shown before stay,
    // and nothing connects again behind the user's back.
    EXPECT_EQ(links, QList<MPDSocket::Link>{MPDSocket::Link::Off});
    EXPECT_EQ(linkText(), QStringLiteral("Déconnecté"));
    EXPECT_FALSE(MPDCommand::sMPDCommand().isUpdating());
    EXPECT_FALSE(activity->dbUpdating());
    EXPECT_GE(MPDCache::sMPDCache().getCurrentAlbumList().value_or(QList<Album>()).size(), 14);
    QObject::disconnect(watch);
    connecter();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
}

} // namespace
} // namespace kelvane::test

namespace kelvane::test {
namespace {
class AsyncWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        MPDBulk::sMPDBulk().setInline(false);
    }
    void TearDown() override {
        MPDBulk::sMPDBulk().waitForDone();
        WindowTest::TearDown();
    }
};

// The album list arrives after the window is up: the sidebar's count must follow it.
TEST_F(AsyncWindowTest, AlbumCountFollowsTheListReadInTheBackground) {
    MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    activity->setContentViewToName(QStringLiteral("Queue"));
    activity->setContentViewToName(QStringLiteral("Library"));
    ASSERT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getCurrentAlbumList().has_value(); }));
    const int albums = int(MPDCache::sMPDCache().getCurrentAlbumList()->size());
    ASSERT_GT(albums, 0);
    EXPECT_TRUE(waitUntil([&] { return sideBar()->albumCount() == albums; }))
        << sideBar()->albumCount();
}
} // namespace
} // namespace kelvane::test
