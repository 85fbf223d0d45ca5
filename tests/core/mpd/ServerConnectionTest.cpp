// The connection, the poll and the error alerts against a real private mpd.
#include "EventRecorder.h"

#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"
#include "support/HungServer.h"
#include "support/MpdServer.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class ServerConnection : public ::testing::Test {
  protected:
    void SetUp() override { recorder = std::make_unique<EventRecorder>(); }
    void TearDown() override {
        MPDSocket::sMPDSocket().disconnect();
        Setting::sSetting().setSessionServer(std::nullopt, std::nullopt);
    }

    // Points the core at a server and connects; the first call creates the socket.
    void connectTo(const QString &host, quint16 port) {
        Setting::sSetting().setSessionServer(host, port);
        MPDSocket::sMPDSocket().connect();
    }

    void playTwoSongs(MpdServer &server) {
        server.command(QStringLiteral("clear"));
        server.command(QStringLiteral("add \"The Beatles/Abbey Road/01 Come Together.flac\""));
        server.command(QStringLiteral("add \"The Beatles/Abbey Road/02 Something.flac\""));
        server.command(QStringLiteral("play 0"));
    }

    std::unique_ptr<EventRecorder> recorder;
};

TEST_F(ServerConnection, FirstSnapshotFiresProgressTrackVolumeStateInOrder) {
    auto server = startStandardServer();
    playTwoSongs(*server);
    server->command(QStringLiteral("setvol 35"));
    // As after start: no tracked track or state, and the next snapshot reports progress.
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setStatus(MPDStatus{});
    if (recorder->progressCount == 1) cache.setStatus(std::nullopt);
    cache.resetStatus();
    recorder->log.clear();
    recorder->logProgress = true;
    connectTo(server->host(), server->port());
    ASSERT_TRUE(waitUntil([&] { return recorder->log.contains(QStringLiteral("state:2")); }));
    const QStringList first = recorder->log.mid(0, 6);
    EXPECT_EQ(first, (QStringList{"progress", "track:0:Come Together", "queueTrack:0", "volume:35",
                                  "queueState:2:0", "state:2"}));
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());

    // Elapsed time alone fires nothing but progress.
    recorder->log.clear();
    spin(400);
    EXPECT_EQ(recorder->log.filter(QStringLiteral("progress"), Qt::CaseSensitive).size(),
              recorder->log.size());
    EXPECT_GT(recorder->lastProgress.elapsedTime, 0u);
    EXPECT_EQ(recorder->lastProgress.totalTime, 259);
    EXPECT_EQ(recorder->lastProgress.path,
              QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"));
    EXPECT_EQ(recorder->lastProgress.artist, QStringLiteral("The Beatles"));
    EXPECT_EQ(recorder->lastProgress.album, QStringLiteral("Abbey Road"));

    // A skip on the server is a track change.
    recorder->log.clear();
    server->command(QStringLiteral("next"));
    ASSERT_TRUE(waitUntil([&] { return recorder->log.contains(QStringLiteral("queueTrack:1")); }));
    EXPECT_TRUE(recorder->log.contains(QStringLiteral("track:1:Something")));
    EXPECT_TRUE(recorder->errors.isEmpty());
}

TEST_F(ServerConnection, ReconnectToAnUnchangedServerFiresNoTrackOrState) {
    auto server = startStandardServer();
    playTwoSongs(*server);
    connectTo(server->host(), server->port());
    ASSERT_TRUE(waitUntil([&] {
        return MPDCache::sMPDCache().getStatus().has_value() &&
               MPDCache::sMPDCache().getStatus()->state == 2;
    }));
    spin(200);
    MPDSocket::sMPDSocket().disconnect();
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(MPDSocket::sMPDSocket().isPolling());
    MPDSocket::sMPDSocket().disconnect(); // a second disconnect does nothing
    recorder->log.clear();
    MPDSocket::sMPDSocket().connect();
    spin(400);
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(
        recorder->log
            .filter(QRegularExpression(QStringLiteral("^(track|queueTrack|state|queueState)")))
            .isEmpty())
        << recorder->log.join(QLatin1Char(' ')).toStdString();
}

TEST_F(ServerConnection, ServerWithoutMixerReportsVolumeOnce) {
    MpdServerOptions options;
    options.withMixer = false;
    auto server = startStandardServer(options);
    playTwoSongs(*server);
    connectTo(server->host(), server->port());
    spin(600);
    EXPECT_EQ(recorder->log.filter(QStringLiteral("volume:")), QStringList{"volume:4294967295"});
}

TEST_F(ServerConnection, NothingListeningIsConnexionRejetee) {
    quint16 port;
    {
        MpdServer server;
        port = server.port();
    } // stopped: nothing listens there now
    connectTo(QStringLiteral("127.0.0.1"), port);
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(
        recorder->errors[0].errorDescription,
        QStringLiteral(
            "1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. Vérifiez qu'un "
            "firewall ne bloque pas la connexion.\n3. Vérifiez votre connexion réseau."));
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(MPDSocket::sMPDSocket().isPolling());
}

TEST_F(ServerConnection, ServerStoppedWhilePlayingIsReportedOnce) {
    auto server = startStandardServer();
    playTwoSongs(*server);
    connectTo(server->host(), server->port());
    ASSERT_TRUE(waitUntil([&] {
        return MPDCache::sMPDCache().getStatus() && MPDCache::sMPDCache().getStatus()->state == 2;
    }));
    server->stop();
    ASSERT_TRUE(waitUntil([&] { return !recorder->errors.isEmpty(); }))
        << recorder->log.join(QLatin1Char(' ')).toStdString() << " polling "
        << MPDSocket::sMPDSocket().isPolling();
    spin(300);
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Connexion fermée par le serveur"));
    EXPECT_EQ(
        recorder->errors[0].errorDescription,
        QStringLiteral(
            "Le serveur MPD ne répond plus.\n\n Vérifiez qu'il n'a pas été tué et que la connexion "
            "n'a pas de problème."));
    EXPECT_FALSE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_FALSE(MPDCache::sMPDCache().getStatus().has_value());
    MPDSocket::sMPDSocket().disconnect(); // flag already clear: nothing happens

    // A connect after the failed poll opens a fresh connection and polls again.
    server->start();
    MPDSocket::sMPDSocket().connect();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
    EXPECT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getStatus().has_value(); }));
}

TEST_F(ServerConnection, HungServerTimesOutAfterAboutThreeSeconds) {
    HungServer hung;
    QElapsedTimer clock;
    clock.start();
    connectTo(QStringLiteral("127.0.0.1"), hung.port());
    const qint64 elapsed = clock.elapsed();
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Timeout"));
    EXPECT_EQ(recorder->errors[0].errorDescription,
              QStringLiteral("pas d'information complémentaire"));
    EXPECT_GE(elapsed, 2500);
    EXPECT_LE(elapsed, 6000);
    EXPECT_FALSE(MPDSocket::sMPDSocket().isPolling());
}

TEST_F(ServerConnection, RefusedCommandIsReportedOnceAndPollingGoesOn) {
    auto server = startStandardServer();
    connectTo(server->host(), server->port());
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(MPDSocket::sMPDSocket().getConnection()->add(QStringLiteral("no/such/file.flac")));
    ASSERT_TRUE(waitUntil([&] { return !recorder->errors.isEmpty(); }));
    spin(300);
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Introuvable sur le serveur"));
    EXPECT_TRUE(recorder->errors[0].errorDescription.endsWith(
        QStringLiteral("Réponse du serveur : « No such directory »")))
        << recorder->errors[0].errorDescription.toStdString();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isPolling());
}

TEST_F(ServerConnection, WrongPasswordIsOneAlertAndNoSession) {
    auto server = startStandardServer();
    Setting::sSetting().setPass(QStringLiteral("not-the-password"));
    connectTo(server->host(), server->port());
    Setting::sSetting().unsetPass();
    ASSERT_EQ(recorder->errors.size(), 1);
    EXPECT_EQ(recorder->errors[0].error, QStringLiteral("Mot de passe refusé"));
    EXPECT_TRUE(recorder->errors[0].errorDescription.contains(QStringLiteral("incorrect password")))
        << recorder->errors[0].errorDescription.toStdString();
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(MPDSocket::sMPDSocket().isPolling());

    // Without a stored password nothing is sent and the session works.
    MPDSocket::sMPDSocket().connect();
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_EQ(recorder->errors.size(), 1);
}

} // namespace
