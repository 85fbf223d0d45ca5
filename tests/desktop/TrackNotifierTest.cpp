// Track-change notifications on a private bus, received by a notification server of
// our own on that bus, against a real mpd.
#include "desktop/SessionBus.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "desktop/CoverFiles.h"
#include "desktop/TrackNotifier.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>

using namespace kelvane;
using namespace kelvane::test;

namespace {

struct Notice {
    quint32 replacesId;
    QString icon, summary, body;
    QVariantMap hints;
};

// The desktop's notification server, as far as Notify goes.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    QList<Notice> notices;
  public Q_SLOTS:
    quint32 Notify(const QString &, quint32 replacesId, const QString &icon, const QString &summary,
                   const QString &body, const QStringList &, const QVariantMap &hints, int) {
        notices << Notice{replacesId, icon, summary, body, hints};
        return quint32(notices.size()) + 100;
    }
};

class TrackNotices : public ServerSuite {
  protected:
    void SetUp() override {
        bus = std::make_unique<SessionBus>();
        QDBusConnection serverSide = bus->connect(QStringLiteral("notifications"));
        ASSERT_TRUE(serverSide.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                              &notifications, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverSide.registerService(QStringLiteral("org.freedesktop.Notifications")));
        server->command(QStringLiteral("stop"));
        server->command(QStringLiteral("clear"));
        server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
        server->command(QStringLiteral("add \"Simon & Garfunkel/Bookends\""));
        Setting::sSetting().setSessionServer(server->host(), server->port());
        MPDSocket::sMPDSocket().connect();
        ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
        // The notifier comes into a running client: the link's first status is in.
        const quint64 reads = MPDSocket::sMPDSocket().statusReads();
        MPDSocket::sMPDSocket().refreshStatus();
        ASSERT_TRUE(waitUntil([&] { return MPDSocket::sMPDSocket().statusReads() > reads; }));
        notifier = std::make_unique<TrackNotifier>(bus->connect(QStringLiteral("app")));
    }
    void TearDown() override {
        notifier.reset();
        MPDSocket::sMPDSocket().disconnect();
        bus.reset();
    }
    void playAndWait(int position, const QString &title) {
        server->command(QStringLiteral("play %1").arg(position));
        ASSERT_TRUE(waitUntil([&] {
            const auto s = MPDCache::sMPDCache().getStatus();
            return s && s->state == 2 && s->title == title;
        }));
    }

    std::unique_ptr<SessionBus> bus;
    NotificationServer notifications;
    std::unique_ptr<TrackNotifier> notifier;
};

TEST_F(TrackNotices, OffByDefault) {
    Setting::sSetting().setNotifyTrackChange(false);
    playAndWait(0, QStringLiteral("Come Together"));
    playAndWait(1, QStringLiteral("Something"));
    spin(TrackNotifier::coverWaitMs + 300);
    EXPECT_TRUE(notifications.notices.isEmpty());
}

TEST_F(TrackNotices, EachNewSongReplacesTheLastNotice) {
    Setting::sSetting().setNotifyTrackChange(true);
    // The song playing when the client starts is the user's own choice: no notice.
    playAndWait(0, QStringLiteral("Come Together"));
    spin(300);
    playAndWait(1, QStringLiteral("Something"));
    ASSERT_TRUE(waitUntil([&] { return notifications.notices.size() == 1; },
                          TrackNotifier::coverWaitMs + 3000));
    const Notice first = notifications.notices[0];
    EXPECT_EQ(first.summary, QStringLiteral("Something"));
    EXPECT_EQ(first.body, QStringLiteral("The Beatles — Abbey Road"));
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("kelvane"));

    // Markup in tags stays text; the second notice takes the first one's place.
    server->command(QStringLiteral("play 2"));
    ASSERT_TRUE(waitUntil([&] { return notifications.notices.size() == 2; },
                          TrackNotifier::coverWaitMs + 3000));
    EXPECT_EQ(notifications.notices[1].summary, QStringLiteral("Save the Life of My Child"));
    EXPECT_EQ(notifications.notices[1].body, QStringLiteral("Simon &amp; Garfunkel — Bookends"));
    EXPECT_EQ(notifications.notices[1].replacesId, 101u);
    Setting::sSetting().setNotifyTrackChange(false);
}

TEST_F(TrackNotices, ShowTheCoverTheServerGivesFromAPrivateFile) {
    Setting::sSetting().setNotifyTrackChange(true);
    // No web server has covers: they come from mpd, as in the default set-up.
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    // However slow the machine, the notice waits for its cover here.
    notifier->setCoverWaitMs(30000);
    playAndWait(0, QStringLiteral("Come Together"));
    spin(300);
    playAndWait(1, QStringLiteral("Something"));
    ASSERT_TRUE(waitUntil([&] { return notifications.notices.size() == 1; }, 40000));
    const QString abbeyRoad =
        notifications.notices[0].hints.value(QStringLiteral("image-path")).toString();
    expectPrivateCover(abbeyRoad, fileBytes(server->musicDir() +
                                            QStringLiteral("/The Beatles/Abbey Road/cover.jpg")));
    EXPECT_EQ(notifications.notices[0].icon, abbeyRoad);

    server->command(QStringLiteral("play 2"));
    ASSERT_TRUE(waitUntil([&] { return notifications.notices.size() == 2; }, 40000));
    const QString bookends =
        notifications.notices[1].hints.value(QStringLiteral("image-path")).toString();
    EXPECT_NE(bookends, abbeyRoad);
    expectPrivateCover(
        bookends,
        fileBytes(server->musicDir() + QStringLiteral("/Simon & Garfunkel/Bookends/cover.jpg")));
    Setting::sSetting().setSessionHTTP(std::nullopt);
    Setting::sSetting().setNotifyTrackChange(false);
}

} // namespace

#include "TrackNotifierTest.moc"
