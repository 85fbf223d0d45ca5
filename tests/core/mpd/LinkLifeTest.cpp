// The link's life against real and hostile servers: one alert per outage, retries on
// their own, the second connection, host names, sockets and passwords.
#include "EventRecorder.h"

#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/SessionServer.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"
#include "support/HungServer.h"
#include "support/MpdProcess.h"
#include "support/MpdServer.h"
#include "support/ScriptedServer.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class LinkLife : public ::testing::Test {
  protected:
    void SetUp() override {
        recorder = std::make_unique<EventRecorder>();
        // Retries after 1, 2, 4... tenths of a second rather than seconds.
        MPDSocket::sMPDSocket().setRetryUnitMs(100);
        // The first use connects to the default server: not this test's business.
        MPDSocket::sMPDSocket().disconnect();
        recorder->errors.clear();
        QObject::connect(&MPDSocket::sMPDSocket(), &MPDSocket::linkChanged, &context,
                         [this](MPDSocket::Link link, const QString &detail) {
                             links << QStringLiteral("%1:%2").arg(int(link)).arg(detail);
                         });
    }
    void TearDown() override {
        MPDSocket::sMPDSocket().disconnect();
        MPDSocket::sMPDSocket().setRetryUnitMs(1000);
        Setting::sSetting().setSessionServer(std::nullopt, std::nullopt);
        Setting::sSetting().setSessionPassword(std::nullopt);
    }
    void connectTo(const QString &host, quint16 port) {
        Setting::sSetting().setSessionServer(host, port);
        MPDSocket::sMPDSocket().connect();
    }
    // Connected, and the server has answered a poll.
    static bool up() {
        return MPDSocket::sMPDSocket().link() == MPDSocket::Link::Up &&
               MPDSocket::sMPDSocket().isPolling() && MPDCache::sMPDCache().getStatus().has_value();
    }

    std::unique_ptr<EventRecorder> recorder;
    QObject context;
    QStringList links;
};

// The longest time the GUI thread's event loop went without turning, while pred()
// was awaited.
template <class Pred> qint64 longestStallUntil(Pred pred, int timeoutMs) {
    QElapsedTimer clock, gap;
    clock.start();
    gap.start();
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, gap.restart()); });
    ticker.start();
    waitUntil(pred, timeoutMs);
    return std::max(longest, gap.elapsed());
}

} // namespace

TEST_F(LinkLife, RestartsHealByThemselvesWithOneAlertEachAndNothingSentTwice) {
    auto server = startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
    server->command(QStringLiteral("save \"Kept\""));
    server->command(QStringLiteral("playlistadd \"[Radio Streams]\" \"http://radio.invalid/a#A\""));
    server->command(QStringLiteral("play 0"));
    const QByteArray streamsBefore = [&] {
        QFile f(QDir(server->playlistDir()).filePath(QStringLiteral("[Radio Streams].m3u")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    connectTo(server->host(), server->port());
    ASSERT_TRUE(waitUntil(up));
    constexpr int outages = 20;
    for (int i = 0; i < outages; ++i) {
        server->stop();
        ASSERT_TRUE(waitUntil([&] { return recorder->errors.size() == i + 1; }, 3000))
            << "outage " << i;
        EXPECT_EQ(MPDSocket::sMPDSocket().link(), MPDSocket::Link::Retrying);
        server->start();
        server->command(QStringLiteral("play 0"));
        // Back by the next step of the back-off (0.1 s, then 0.2 s, ...).
        ASSERT_TRUE(waitUntil(up, 2500)) << "outage " << i;
        EXPECT_EQ(recorder->errors.size(), i + 1) << "no second alert while retrying";
    }
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Connexion fermée par le serveur"));
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("playlistlength")),
              QStringLiteral("2"));
    QFile f(QDir(server->playlistDir()).filePath(QStringLiteral("[Radio Streams].m3u")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), streamsBefore);
    EXPECT_EQ(
        links.filter(QRegularExpression(QStringLiteral("^%1:0\\.").arg(int(MPDSocket::Link::Up))))
            .size(),
        outages + 1);
}

TEST_F(LinkLife, BackOffStepsAndDisconnectStopsThem) {
    // A port nothing listens on: the connection is refused.
    const quint16 port = mpdprocess::freePort();
    connectTo(QStringLiteral("127.0.0.1"), port);
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(MPDSocket::sMPDSocket().link(), MPDSocket::Link::Retrying);
    ASSERT_TRUE(waitUntil(
        [&] { return links.contains(QStringLiteral("%1:8").arg(int(MPDSocket::Link::Retrying))); },
        4000));
    const QString retry = QString::number(int(MPDSocket::Link::Retrying));
    EXPECT_EQ(links.filter(QRegularExpression(QStringLiteral("^") + retry + QStringLiteral(":")))
                  .mid(0, 4),
              (QStringList{retry + ":1", retry + ":2", retry + ":4", retry + ":8"}));
    EXPECT_EQ(recorder->errors.size(), 1);

    MPDSocket::sMPDSocket().disconnect();
    EXPECT_EQ(MPDSocket::sMPDSocket().link(), MPDSocket::Link::Off);
    links.clear();
    spin(1000);
    EXPECT_TRUE(links.isEmpty()) << links.join(u' ').toStdString();
}

TEST_F(LinkLife, FrozenServerIsOneTimeoutAlertAndTheWindowNeverWaits) {
    auto server = startStandardServer();
    connectTo(server->host(), server->port());
    ASSERT_TRUE(waitUntil(up));
    server->freeze();
    // The poll on the window's thread waits out the 3 s time-out once; the attempts
    // after it wait on a worker.
    const qint64 stall = longestStallUntil([&] { return !recorder->errors.isEmpty(); }, 8000);
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Timeout"));
    EXPECT_LE(stall, 3600);
    const qint64 retrying = longestStallUntil([] { return false; }, 1500);
    EXPECT_LE(retrying, 300) << "attempts to a frozen server must not hold the window";
    server->thaw();
    EXPECT_TRUE(waitUntil(up, 8000));
    EXPECT_EQ(recorder->errors.size(), 1);
}

TEST_F(LinkLife, SilentAndGarbageListenersAreOneClearAlertEachAndRetriesGoOn) {
    {
        ScriptedServer garbage([](const QByteArray &) { return ScriptedServer::Reply{"OK\n"}; },
                               "SSH-2.0-OpenSSH_9.2\r\n");
        connectTo(QStringLiteral("127.0.0.1"), garbage.port());
        ASSERT_EQ(recorder->errors.size(), 1);
        EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Ce n'est pas un serveur MPD"));
        EXPECT_TRUE(waitUntil([&] { return garbage.connections() >= 3; }, 3000));
        EXPECT_EQ(recorder->errors.size(), 1);
        MPDSocket::sMPDSocket().disconnect();
    }
    recorder->errors.clear();
    HungServer hung;
    connectTo(QStringLiteral("127.0.0.1"), hung.port());
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Timeout"));
    EXPECT_TRUE(waitUntil([&] { return hung.connections() >= 2; }, 6000));
    EXPECT_EQ(recorder->errors.size(), 1);
}

TEST_F(LinkLife, BulkReadInFlightWhenTheConnectionDropsEndsCleanly) {
    MpdServer server;
    server.library().writeBulk(300, 4);
    server.update();
    connectTo(server.host(), server.port());
    ASSERT_TRUE(waitUntil(up));
    for (int round = 0; round < 5; ++round) {
        bool done = false;
        std::optional<qsizetype> result = -1;
        QObject receiver;
        MPDBulk::sMPDBulk().run(
            &receiver,
            [] {
                std::optional<qsizetype> count;
                if (auto c = MPDBulk::sMPDBulk().connection())
                    if (auto uris = c->listAllInfo(QString())) count = qsizetype(uris->size());
                return count;
            },
            [&](std::optional<qsizetype> count) {
                result = count;
                done = true;
            });
        QThread::msleep(round * 3);
        MPDSocket::sMPDSocket().disconnect();
        ASSERT_TRUE(waitUntil([&] { return done; }, 5000));
        // Either it finished before the disconnect or it ended at once after it.
        EXPECT_TRUE(!result || *result > 300);
        EXPECT_EQ(MPDBulk::sMPDBulk().connection(), nullptr);
        MPDSocket::sMPDSocket().connect();
        ASSERT_TRUE(waitUntil(up));
    }
    EXPECT_TRUE(recorder->errors.isEmpty());
}

TEST_F(LinkLife, HostNamesSocketsAndMpdHostPasswords) {
    MpdServerOptions options;
    options.password = QStringLiteral("s3cret");
    options.localSocket = true;
    auto server = startStandardServer(options);
    ASSERT_TRUE(server->isRunning());

    // MPD_HOST="password@host": the password is used for the session and never stored.
    QString problem;
    const auto session = SessionServer::from({std::nullopt, QString::number(server->port()),
                                              std::nullopt, QStringLiteral("s3cret@localhost")},
                                             &problem);
    ASSERT_TRUE(session);
    session->apply();
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(waitUntil(up));
    EXPECT_EQ(MPDSocket::sMPDSocket().target().host, QStringLiteral("localhost"));
    // Both connections carry the password: the queue (second connection) reads.
    auto bulk = MPDBulk::sMPDBulk().connection();
    ASSERT_TRUE(bulk);
    EXPECT_TRUE(bulk->queue().has_value());
    EXPECT_TRUE(recorder->errors.isEmpty());
    EXPECT_EQ(Setting::sSetting().pass(), QString());

    // The local socket, written as a path and with "~".
    Setting::sSetting().setSessionServer(server->socketPath(), std::nullopt);
    MPDSocket::sMPDSocket().connect();
    EXPECT_TRUE(waitUntil(up));
    QTemporaryDir home;
    ASSERT_TRUE(QFile::link(server->socketPath(),
                            QDir(home.path()).filePath(QStringLiteral("mpd.socket"))));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    Setting::sSetting().setSessionServer(QStringLiteral("~/mpd.socket"), std::nullopt);
    MPDSocket::sMPDSocket().connect();
    qputenv("HOME", oldHome);
    EXPECT_TRUE(waitUntil(up));
    EXPECT_EQ(MPDSocket::sMPDSocket().target().label(),
              QDir(home.path()).filePath(QStringLiteral("mpd.socket")));
    EXPECT_TRUE(recorder->errors.isEmpty());

    // Without the password the server refuses the first status: one alert.
    Setting::sSetting().setSessionServer(server->host(), server->port());
    Setting::sSetting().setSessionPassword(std::nullopt);
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(waitUntil([&] { return !recorder->errors.isEmpty(); }, 2000));
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Action non autorisée"));
    EXPECT_TRUE(recorder->errors[0].errorDescription.contains(QStringLiteral("permission")))
        << qPrintable(recorder->errors[0].errorDescription);
    spin(800); // several attempts connect and are refused again: still the one outage
    EXPECT_EQ(recorder->errors.size(), 1);
}
