// The media-player interface on a private bus, driven by playerctl and by a plain D-Bus
// client, against a real mpd.
#include "desktop/SessionBus.h"

#include "core/mpd/CommandThread.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "desktop/CoverFiles.h"
#include "desktop/DesktopServices.h"
#include "desktop/MprisService.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QString come = QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac");
const QString something = QStringLiteral("The Beatles/Abbey Road/02 Something.flac");

// Listens on its own connection, as a panel widget would.
class SignalLog : public QObject {
    Q_OBJECT
  public:
    explicit SignalLog(QDBusConnection bus) : m_bus(bus) {
        m_bus.connect(MprisService::serviceName(), MprisService::objectPath(),
                      QStringLiteral("org.freedesktop.DBus.Properties"),
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(onChanged(QString, QVariantMap, QStringList)));
        m_bus.connect(MprisService::serviceName(), MprisService::objectPath(),
                      MprisService::playerInterface(), QStringLiteral("Seeked"), this,
                      SLOT(onSeeked(qlonglong)));
    }
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;
    // The latest announced value of a property.
    QVariant last(const QString &key) const {
        for (auto it = changes.crbegin(); it != changes.crend(); ++it)
            if (it->contains(key)) return it->value(key);
        return {};
    }

  public Q_SLOTS:
    void onChanged(const QString &interface, const QVariantMap &changed, const QStringList &) {
        if (interface == MprisService::playerInterface()) changes << changed;
    }
    void onSeeked(qlonglong position) { seeks << position; }

  private:
    QDBusConnection m_bus;
};

// One call from a client connection, answered while our event loop turns (a blocking
// call, or QDBusInterface's introspection, would wait on this very thread).
QDBusMessage callOn(QDBusConnection connection, const QString &interface, const QString &method,
                    const QVariantList &arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        MprisService::serviceName(), MprisService::objectPath(), interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = connection.asyncCall(call);
    waitUntil([&] { return pending.isFinished(); }, 5000);
    return pending.reply();
}

QVariant propertyOn(QDBusConnection connection, const QString &interface, const QString &name) {
    const QDBusMessage reply = callOn(connection, QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("Get"), {interface, name});
    return reply.arguments().isEmpty() ? QVariant()
                                       : reply.arguments()[0].value<QDBusVariant>().variant();
}

class Mpris : public ServerSuite {
  protected:
    static void SetUpTestSuite() {
        ServerSuite::SetUpTestSuite();
        bus = new SessionBus;
    }
    static void TearDownTestSuite() {
        MPDSocket::sMPDSocket().disconnect();
        delete bus;
        ServerSuite::TearDownTestSuite();
    }
    void SetUp() override {
        server->command(QStringLiteral("stop"));
        server->command(QStringLiteral("clear"));
        server->command(QStringLiteral("random 0"));
        server->command(QStringLiteral("repeat 0"));
        server->command(QStringLiteral("single 0"));
        server->command(QStringLiteral("setvol 80"));
        Setting::sSetting().setSessionServer(server->host(), server->port());
        MPDSocket::sMPDSocket().connect();
        ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
        service = std::make_unique<MprisService>(bus->connect(QStringLiteral("service")));
        QString problem;
        ASSERT_TRUE(service->start(&problem)) << problem.toStdString();
    }
    void TearDown() override {
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    }

    void queueTwoAndPlay() {
        server->command(QStringLiteral("add ") + MpdServer::quote(come));
        server->command(QStringLiteral("add ") + MpdServer::quote(something));
        server->command(QStringLiteral("play 0"));
        ASSERT_TRUE(waitUntil([] {
            const auto s = MPDCache::sMPDCache().getStatus();
            return s && s->state == 2;
        }));
    }
    QString status(const QString &key) { return server->value(QStringLiteral("status"), key); }
    // Waits until the server's status shows the value.
    bool serverSees(const QString &key, const QString &value) {
        return waitUntil([&] { return status(key) == value; }, 5000);
    }
    // Asks playerctl until it answers the value (our snapshot may be a poll behind).
    bool playerctlSays(const QStringList &arguments, const QString &value) {
        return waitUntil([&] { return bus->playerctl(arguments).out == value; }, 5000);
    }

    static inline SessionBus *bus = nullptr;
    std::unique_ptr<MprisService> service;
};

TEST_F(Mpris, PlayerctlReadsTheSongAndDrivesTheServer) {
    queueTwoAndPlay();
    EXPECT_TRUE(playerctlSays(
        {QStringLiteral("metadata"), QStringLiteral("--format"),
         QStringLiteral("{{title}}|{{artist}}|{{album}}|{{xesam:trackNumber}}|{{mpris:length}}")},
        QStringLiteral("Come Together|The Beatles|Abbey Road|1|259000000")));
    EXPECT_EQ(bus->playerctl({QStringLiteral("status")}).out, QStringLiteral("Playing"));

    bus->playerctl({QStringLiteral("play-pause")});
    EXPECT_TRUE(serverSees(QStringLiteral("state"), QStringLiteral("pause")));
    bus->playerctl({QStringLiteral("play-pause")});
    EXPECT_TRUE(serverSees(QStringLiteral("state"), QStringLiteral("play")));

    bus->playerctl({QStringLiteral("position"), QStringLiteral("30")});
    EXPECT_TRUE(waitUntil([&] { return status(QStringLiteral("elapsed")).toDouble() >= 29.5; }));

    bus->playerctl({QStringLiteral("next")});
    EXPECT_TRUE(serverSees(QStringLiteral("song"), QStringLiteral("1")));
    EXPECT_TRUE(playerctlSays({QStringLiteral("metadata"), QStringLiteral("title")},
                              QStringLiteral("Something")));

    bus->playerctl({QStringLiteral("volume"), QStringLiteral("0.5")});
    EXPECT_TRUE(serverSees(QStringLiteral("volume"), QStringLiteral("50")));
    bus->playerctl({QStringLiteral("shuffle"), QStringLiteral("On")});
    EXPECT_TRUE(serverSees(QStringLiteral("random"), QStringLiteral("1")));
    bus->playerctl({QStringLiteral("loop"), QStringLiteral("Track")});
    EXPECT_TRUE(serverSees(QStringLiteral("single"), QStringLiteral("1")));
    EXPECT_EQ(status(QStringLiteral("repeat")), QStringLiteral("1"));
    bus->playerctl({QStringLiteral("loop"), QStringLiteral("Playlist")});
    EXPECT_TRUE(serverSees(QStringLiteral("single"), QStringLiteral("0")));
    EXPECT_EQ(status(QStringLiteral("repeat")), QStringLiteral("1"));
    bus->playerctl({QStringLiteral("loop"), QStringLiteral("None")});
    EXPECT_TRUE(serverSees(QStringLiteral("repeat"), QStringLiteral("0")));

    bus->playerctl({QStringLiteral("stop")});
    EXPECT_TRUE(serverSees(QStringLiteral("state"), QStringLiteral("stop")));
}

TEST_F(Mpris, ChangesMadeByAnotherClientShowAndAreAnnouncedOnce) {
    queueTwoAndPlay();
    SignalLog log(bus->connect(QStringLiteral("listener")));
    spin(300);
    log.changes.clear();

    server->mpc({QStringLiteral("random"), QStringLiteral("on")});
    EXPECT_TRUE(playerctlSays({QStringLiteral("shuffle")}, QStringLiteral("On")));
    server->mpc({QStringLiteral("repeat"), QStringLiteral("on")});
    EXPECT_TRUE(playerctlSays({QStringLiteral("loop")}, QStringLiteral("Playlist")));
    server->mpc({QStringLiteral("volume"), QStringLiteral("30")});
    EXPECT_TRUE(playerctlSays({QStringLiteral("volume")}, QStringLiteral("0.300000")));
    server->mpc({QStringLiteral("pause")});
    EXPECT_TRUE(playerctlSays({QStringLiteral("status")}, QStringLiteral("Paused")));
    server->mpc({QStringLiteral("play"), QStringLiteral("2")});
    EXPECT_TRUE(playerctlSays({QStringLiteral("metadata"), QStringLiteral("title")},
                              QStringLiteral("Something")));

    ASSERT_TRUE(waitUntil(
        [&] { return log.last(QStringLiteral("PlaybackStatus")) == QStringLiteral("Playing"); }));
    EXPECT_EQ(log.last(QStringLiteral("Shuffle")), QVariant(true));
    EXPECT_EQ(log.last(QStringLiteral("LoopStatus")), QVariant(QStringLiteral("Playlist")));
    EXPECT_DOUBLE_EQ(log.last(QStringLiteral("Volume")).toDouble(), 0.3);
    // Each change was announced once, with nothing that stayed the same beside it.
    int shuffles = 0;
    for (const QVariantMap &change : log.changes)
        shuffles += change.contains(QStringLiteral("Shuffle"));
    EXPECT_EQ(shuffles, 1);
    // And a playing song whose time merely runs on announces nothing, nor Seeked.
    spin(300);
    const qsizetype before = log.changes.size();
    spin(1500);
    EXPECT_EQ(log.changes.size(), before);
    EXPECT_TRUE(log.seeks.isEmpty());
}

TEST_F(Mpris, SeeksFromAnyClientAreSignalled) {
    queueTwoAndPlay();
    SignalLog log(bus->connect(QStringLiteral("listener")));
    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    const QString player = MprisService::playerInterface();
    // Seek by an offset, then by another client.
    callOn(client, player, QStringLiteral("Seek"), {qlonglong(60) * 1000000});
    ASSERT_TRUE(waitUntil([&] { return !log.seeks.isEmpty(); }));
    EXPECT_NEAR(double(log.seeks.last()) / 1e6, 60.0, 2.0);
    log.seeks.clear();
    server->mpc({QStringLiteral("seek"), QStringLiteral("120")});
    ASSERT_TRUE(waitUntil([&] { return !log.seeks.isEmpty(); }));
    EXPECT_NEAR(double(log.seeks.last()) / 1e6, 120.0, 2.0);
    // A position for a song no longer playing is stale: nothing moves.
    const double before = status(QStringLiteral("elapsed")).toDouble();
    callOn(client, player, QStringLiteral("SetPosition"),
           {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/kelvane/track/1"))),
            qlonglong(5) * 1000000});
    spin(500);
    EXPECT_GE(status(QStringLiteral("elapsed")).toDouble(), before);
    // Past the end is the next song.
    callOn(client, player, QStringLiteral("Seek"), {qlonglong(1000) * 1000000});
    EXPECT_TRUE(serverSees(QStringLiteral("song"), QStringLiteral("1")));
}

TEST_F(Mpris, ExtremeSeeksSaturateAndGoOnToTheNextSong) {
    queueTwoAndPlay();
    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    const QString player = MprisService::playerInterface();
    const auto seekAndWait = [&](int seconds) {
        callOn(client, player, QStringLiteral("Seek"), {qlonglong(seconds) * 1000000});
        return waitUntil([&] {
            const auto s = MPDCache::sMPDCache().getStatus();
            return s && s->elapsedTime >= quint32(seconds - 1) * 1000;
        });
    };
    // The largest offset from well inside the song is past its end: the next song. The
    // sum must not wrap round (the song would start over).
    ASSERT_TRUE(seekAndWait(60));
    callOn(client, player, QStringLiteral("Seek"), {std::numeric_limits<qlonglong>::max()});
    EXPECT_TRUE(serverSees(QStringLiteral("song"), QStringLiteral("1")));
    ASSERT_TRUE(playerctlSays({QStringLiteral("metadata"), QStringLiteral("title")},
                              QStringLiteral("Something")));
    // The smallest one is before the start: the start of the same song.
    ASSERT_TRUE(seekAndWait(100));
    callOn(client, player, QStringLiteral("Seek"), {std::numeric_limits<qlonglong>::min()});
    EXPECT_TRUE(waitUntil([&] { return status(QStringLiteral("elapsed")).toDouble() < 50; }));
    EXPECT_EQ(status(QStringLiteral("song")), QStringLiteral("1"));
    EXPECT_EQ(status(QStringLiteral("state")), QStringLiteral("play"));
}

TEST_F(Mpris, PropertiesOfTheWrongTypeAreRefusedAndNeverReachTheServer) {
    queueTwoAndPlay();
    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString player = MprisService::playerInterface();
    const auto set = [&](const QString &name, const QVariant &value) {
        return callOn(client, properties, QStringLiteral("Set"),
                      {player, name, QVariant::fromValue(QDBusVariant(value))});
    };
    struct Refused {
        const char *name;
        QVariant value;
        const char *error;
    };
    const Refused refused[] = {
        {"Shuffle", QStringLiteral("yes"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Shuffle", 1, "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Volume", QStringLiteral("0.5"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Volume", QStringList{QStringLiteral("1")}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Volume", std::numeric_limits<double>::quiet_NaN(),
         "org.freedesktop.DBus.Error.InvalidArgs"},
        {"LoopStatus", QStringLiteral("Forever"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"LoopStatus", true, "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Rate", QStringLiteral("2"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"PlaybackStatus", QStringLiteral("Stopped"),
         "org.freedesktop.DBus.Error.PropertyReadOnly"},
        {"NoSuchProperty", true, "org.freedesktop.DBus.Error.UnknownProperty"},
    };
    for (const Refused &r : refused) {
        const QDBusMessage reply = set(QString::fromLatin1(r.name), r.value);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << r.name;
        EXPECT_EQ(reply.errorName(), QString::fromLatin1(r.error)) << r.name;
    }
    EXPECT_EQ(callOn(client, properties, QStringLiteral("Set"),
                     {QStringLiteral("org.example.None"), QStringLiteral("Shuffle"),
                      QVariant::fromValue(QDBusVariant(true))})
                  .errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));

    // The right types still work; the server, which takes commands in order, saw none of
    // the refused ones before them.
    EXPECT_EQ(set(QStringLiteral("Shuffle"), true).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(set(QStringLiteral("Volume"), 0.5).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(serverSees(QStringLiteral("volume"), QStringLiteral("50")));
    EXPECT_EQ(status(QStringLiteral("random")), QStringLiteral("1"));
    EXPECT_EQ(status(QStringLiteral("repeat")), QStringLiteral("0"));
    EXPECT_EQ(status(QStringLiteral("single")), QStringLiteral("0"));
    EXPECT_EQ(set(QStringLiteral("LoopStatus"), QStringLiteral("Track")).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(serverSees(QStringLiteral("single"), QStringLiteral("1")));

    // Reading goes through the same interface: one property, all of them, the types the
    // interface defines.
    EXPECT_TRUE(waitUntil(
        [&] { return propertyOn(client, player, QStringLiteral("Shuffle")) == QVariant(true); }));
    const QDBusMessage all = callOn(client, properties, QStringLiteral("GetAll"), {player});
    ASSERT_EQ(all.type(), QDBusMessage::ReplyMessage);
    const QVariantMap map = qdbus_cast<QVariantMap>(all.arguments().value(0));
    EXPECT_EQ(map.value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    EXPECT_EQ(map.value(QStringLiteral("Position")).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_TRUE(map.contains(QStringLiteral("Metadata")));
    EXPECT_FALSE(map.contains(QStringLiteral("objectName")));
    EXPECT_EQ(
        propertyOn(client, QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Identity"))
            .toString(),
        QStringLiteral("Kelvane"));
    const QDBusMessage xml = callOn(client, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                    QStringLiteral("Introspect"));
    const QString text = xml.arguments().value(0).toString();
    EXPECT_EQ(text.count(QStringLiteral("\"org.freedesktop.DBus.Properties\"")), 1)
        << text.toStdString();
    EXPECT_TRUE(text.contains(
        QStringLiteral("<property name=\"Shuffle\" type=\"b\" access=\"readwrite\"/>")))
        << text.toStdString();
}

TEST_F(Mpris, OpenUriSendsOnlyWebAddresses) {
    queueTwoAndPlay();
    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    for (const QString &uri :
         {QStringLiteral("file:///etc/passwd"), QStringLiteral("/etc/passwd"),
          QStringLiteral("http://127.0.0.1/a\nclear"), QStringLiteral("http:///nohost"),
          QStringLiteral("ftp://127.0.0.1/a.mp3"), QString()}) {
        const QDBusMessage reply =
            callOn(client, MprisService::playerInterface(), QStringLiteral("OpenUri"), {uri});
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << uri.toStdString();
        EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    }
    // The queue is as it was.
    EXPECT_EQ(status(QStringLiteral("playlistlength")), QStringLiteral("2"));
    EXPECT_EQ(status(QStringLiteral("state")), QStringLiteral("play"));
}

TEST_F(Mpris, ArtUrlIsAPrivateFileOfTheCoverTheServerGives) {
    // No web server has covers: they come from mpd, as in the default set-up.
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    const QString inside = QStringLiteral("Pictures/Embedded/01 Inside.flac");
    const QByteArray embedded = TestLibrary::coverJpeg(QStringLiteral("embedded"), 90);
    server->library().addWithPicture(inside,
                                     {.artist = QStringLiteral("Painter"),
                                      .album = QStringLiteral("Embedded"),
                                      .title = QStringLiteral("Inside")},
                                     embedded);
    server->update();
    server->command(QStringLiteral("add ") + MpdServer::quote(inside));
    server->command(QStringLiteral("add ") + MpdServer::quote(come));
    server->command(QStringLiteral("play 0"));
    const auto artUrl = [&](const QString &unlike) {
        QString art;
        waitUntil(
            [&] {
                const SessionBus::Run run =
                    bus->playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:artUrl")});
                art = run.exitCode == 0 ? run.out : QString();
                return !art.isEmpty() && art != unlike;
            },
            30000);
        return art;
    };
    // The picture embedded in the song ("readpicture").
    const QString first = artUrl({});
    ASSERT_FALSE(first.isEmpty());
    expectPrivateCover(first, embedded);
    // The cover file beside the song ("albumart").
    server->command(QStringLiteral("play 1"));
    const QString second = artUrl(first);
    ASSERT_FALSE(second.isEmpty());
    expectPrivateCover(second, fileBytes(server->musicDir() +
                                         QStringLiteral("/The Beatles/Abbey Road/cover.jpg")));
    Setting::sSetting().setSessionHTTP(std::nullopt);
}

TEST_F(Mpris, IdentityIsKelvaneAndRaiseReachesTheWindow) {
    queueTwoAndPlay();
    const QString trackId =
        bus->playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:trackid")}).out;
    EXPECT_TRUE(trackId.contains(QStringLiteral("/org/kelvane/track/0"))) << trackId.toStdString();

    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    const QString root = QStringLiteral("org.mpris.MediaPlayer2");
    EXPECT_EQ(propertyOn(client, root, QStringLiteral("Identity")).toString(),
              QStringLiteral("Kelvane"));
    EXPECT_EQ(propertyOn(client, root, QStringLiteral("DesktopEntry")).toString(),
              QStringLiteral("kelvane"));
    bool raised = false;
    QObject::connect(service.get(), &MprisService::raiseRequested, [&] { raised = true; });
    callOn(client, root, QStringLiteral("Raise"));
    EXPECT_TRUE(waitUntil([&] { return raised; }));
}

TEST_F(Mpris, PlayPauseToAFrozenServerIsAnsweredAtOnceAndReachesItAfter) {
    queueTwoAndPlay();
    const QDBusConnection client = bus->connect(QStringLiteral("client"));
    server->freeze();
    const QDBusMessage reply =
        callOn(client, MprisService::playerInterface(), QStringLiteral("PlayPause"));
    // Answered while the pause is still waiting for the server: the handler never waited.
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    EXPECT_GT(CommandThread::sCommandThread().pending(), 0u);
    server->thaw();
    EXPECT_TRUE(serverSees(QStringLiteral("state"), QStringLiteral("pause")));
}

TEST_F(Mpris, LostServerShowsStoppedWithoutSong) {
    queueTwoAndPlay();
    ASSERT_TRUE(playerctlSays({QStringLiteral("status")}, QStringLiteral("Playing")));
    MPDSocket::sMPDSocket().disconnect();
    EXPECT_TRUE(playerctlSays({QStringLiteral("status")}, QStringLiteral("Stopped")));
    EXPECT_NE(bus->playerctl({QStringLiteral("metadata"), QStringLiteral("title")}).exitCode, 0);
}

TEST(MprisOff, NoBusNoServiceAndOneLogLine) {
    // A bus that is not there: the service does not start, and says why.
    QDBusConnection dead = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/kelvane-bus"), QStringLiteral("dead"));
    MprisService service(dead);
    QString problem;
    EXPECT_FALSE(service.start(&problem));
    EXPECT_FALSE(problem.isEmpty());
    QDBusConnection::disconnectFromBus(QStringLiteral("dead"));

    // The application's own start with no session bus: off, one line, nothing else.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kelvane-session-bus");
    static QStringList lines;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { lines << text; });
    {
        DesktopServices desktop;
        EXPECT_EQ(desktop.mpris(), nullptr);
    }
    qInstallMessageHandler(previous);
    ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("no session bus")));
}

} // namespace

#include "MprisTest.moc"
