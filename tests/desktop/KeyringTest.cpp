// The MPD password in a real keyring (gnome-keyring on a private bus, unlocked with a
// test-only password): it moves there from the file, a keyring that takes its time is
// waited for without the file ever getting the password, the keyring is asked (and so
// started) only when a password is stored, and the fall-back to the private settings
// file when no keyring service is there at all. The process's keyring client binds to
// one bus for its whole life, so what needs another bus runs in a child process: one of
// this same test program, or the real `kelvane --console`.
#include "desktop/SessionBus.h"

#include "console/ConsoleProcess.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "desktop/PasswordKeyring.h"
#include "support/MpdServer.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <utility>

using namespace kelvane;
using namespace kelvane::test;

namespace {

using Place = Setting::PasswordPlace;

QString settingsPath() {
    return QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane")).fileName();
}

QByteArray settingsFile() {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QVariant stored(const QString &key) {
    QSettings store(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"));
    return store.value(key);
}

QFileDevice::Permissions settingsPermissions() {
    return QFile::permissions(settingsPath());
}

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser;

// What the keyring holds for us now ("" for nothing), asked directly.
QString inKeyring() {
    bool answered = false;
    QString held;
    PasswordKeyring().read([&](PasswordVault::Result result, const QString &password) {
        answered = true;
        held = result == PasswordVault::Result::Ok ? password : QString();
    });
    waitUntil([&] { return answered; }, 20000);
    return held;
}

bool settles(Place place) {
    return waitUntil([&] { return Setting::sSetting().passwordPlace() == place; }, 30000);
}

// Runs one test of this program in a child process, with these variables set.
void runChild(const QString &test, const QList<std::pair<QString, QString>> &environment) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : environment)
        env.insert(name, value);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + test});
    ASSERT_TRUE(child.waitForStarted(5000));
    waitUntil([&] { return child.state() == QProcess::NotRunning; }, 60000);
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
}

// The bus must outlive every test that uses it: the keyring client ends the whole
// process when its bus goes away. Stopped when the application object goes.
struct KeyringPeer {
    SessionBus bus;
    QTemporaryDir home;
    QProcess keyring;
    ~KeyringPeer() {
        ::kill(pid_t(keyring.processId()), SIGCONT);
        keyring.terminate();
        if (!keyring.waitForFinished(3000)) keyring.kill();
        keyring.waitForFinished(1000);
    }
};
KeyringPeer *peer = nullptr;

TEST(Keyring, PasswordMovesIntoTheKeyringAndNeverLiesInTheFile) {
    ASSERT_EQ(peer, nullptr) << "runs once per process";
    peer = new KeyringPeer;
    qAddPostRoutine([] { delete std::exchange(peer, nullptr); });
    SessionBus &bus = peer->bus;
    QTemporaryDir &home = peer->home;
    QProcess &keyring = peer->keyring;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    keyring.setProcessEnvironment(env);
    keyring.start(QStringLiteral("gnome-keyring-daemon"),
                  {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                   QStringLiteral("--components=secrets")});
    ASSERT_TRUE(keyring.waitForStarted(5000)) << "gnome-keyring-daemon does not start";
    keyring.write("test-only-password\n");
    keyring.closeWriteChannel();
    QDBusConnection probe = bus.connect(QStringLiteral("probe"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return probe.interface()
                ->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"))
                .value();
        },
        10000))
        << keyring.readAllStandardError().toStdString();
    // The keyring client of this process talks to this bus from now on.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());

    // A password an earlier version stored in the file.
    Setting &setting = Setting::sSetting();
    setting.setPass(QStringLiteral("old-secret"));
    ASSERT_TRUE(settingsFile().contains("old-secret"));
    EXPECT_TRUE(setting.passwordInClear());

    setting.useVault(std::make_unique<PasswordKeyring>());
    ASSERT_TRUE(setting.hasVault());
    ASSERT_TRUE(settles(Place::Keyring));
    EXPECT_FALSE(settingsFile().contains("old-secret"));
    EXPECT_FALSE(setting.passwordInClear());
    EXPECT_EQ(setting.pass(), QStringLiteral("old-secret"));
    EXPECT_EQ(inKeyring(), QStringLiteral("old-secret"));
    // Only a marker says where it is; "pass" keeps its meaning: a password in clear.
    EXPECT_EQ(stored(QStringLiteral("passInKeyring")).toString(), QStringLiteral("true"));
    EXPECT_FALSE(stored(QStringLiteral("pass")).isValid());

    setting.setPass(QStringLiteral("new-secret"));
    ASSERT_TRUE(settles(Place::Keyring));
    EXPECT_FALSE(settingsFile().contains("new-secret"));
    EXPECT_EQ(inKeyring(), QStringLiteral("new-secret"));

    setting.unsetPass();
    EXPECT_FALSE(stored(QStringLiteral("passInKeyring")).isValid());
    EXPECT_EQ(inKeyring(), QString());
}

TEST(Keyring, ASlowKeyringIsWaitedForAndTheFileNeverGetsThePassword) {
    if (!peer) GTEST_SKIP() << "needs the keyring of the test before";
    Setting &setting = Setting::sSetting();
    const pid_t daemon = pid_t(peer->keyring.processId());
    // A keyring that does not answer yet: one being created, or behind an unlock prompt.
    ASSERT_EQ(::kill(daemon, SIGSTOP), 0);
    setting.setPass(QStringLiteral("slow-secret"));
    // Back at once (the window goes on), and nothing in the file meanwhile, however
    // long the user takes; longer than the bound the keyring was once given.
    EXPECT_EQ(setting.passwordPlace(), Place::Saving);
    spin(6000);
    EXPECT_EQ(setting.passwordPlace(), Place::Saving);
    EXPECT_FALSE(settingsFile().contains("slow-secret"));
    EXPECT_FALSE(stored(QStringLiteral("pass")).isValid());

    ASSERT_EQ(::kill(daemon, SIGCONT), 0);
    ASSERT_TRUE(settles(Place::Keyring));
    EXPECT_FALSE(settingsFile().contains("slow-secret"));
    EXPECT_EQ(stored(QStringLiteral("passInKeyring")).toString(), QStringLiteral("true"));
    EXPECT_EQ(inKeyring(), QStringLiteral("slow-secret"));

    // Saving the preferences again with the same password asks the keyring nothing
    // (stopped, it would keep the question waiting) and writes no file.
    ASSERT_EQ(::kill(daemon, SIGSTOP), 0);
    setting.setPass(QStringLiteral("slow-secret"));
    EXPECT_EQ(setting.passwordPlace(), Place::Keyring);
    EXPECT_FALSE(settingsFile().contains("slow-secret"));
    ASSERT_EQ(::kill(daemon, SIGCONT), 0);

    setting.unsetPass();
    EXPECT_EQ(inKeyring(), QString());
    EXPECT_EQ(setting.passwordPlace(), Place::None);
}

TEST(Keyring, WithoutAKeyringThePasswordStaysInAPrivateFile) {
    SessionBus bus; // nothing on it
    runChild(QStringLiteral("KeyringChild.NoKeyringAnswers"),
             {{QStringLiteral("KELVANE_KEYRING_CHILD_BUS"), bus.address()}});
}

TEST(KeyringChild, NoKeyringAnswers) {
    const QByteArray address = qgetenv("KELVANE_KEYRING_CHILD_BUS");
    if (address.isEmpty()) GTEST_SKIP() << "run by WithoutAKeyringThePasswordStaysInAPrivateFile";
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    Setting &setting = Setting::sSetting();
    setting.setPass(QStringLiteral("old-secret"));
    setting.useVault(std::make_unique<PasswordKeyring>());
    EXPECT_FALSE(setting.hasVault());
    EXPECT_TRUE(setting.passwordInClear());
    EXPECT_EQ(setting.pass(), QStringLiteral("old-secret"));
    EXPECT_TRUE(settingsFile().contains("old-secret"));
    EXPECT_EQ(settingsPermissions() & ~ownerOnly, QFileDevice::Permissions());
    // A new password too, at once: there is nothing to wait for.
    setting.useVault(std::make_unique<PasswordKeyring>());
    setting.setPass(QStringLiteral("new-secret"));
    EXPECT_EQ(setting.passwordPlace(), Place::File);
    EXPECT_TRUE(settingsFile().contains("new-secret"));
    setting.unsetPass();
}

// Stores a password as the preferences window would, on the bus it is given.
TEST(KeyringChild, StoresThePassword) {
    const QByteArray address = qgetenv("KELVANE_KEYRING_CHILD_BUS");
    if (address.isEmpty()) GTEST_SKIP() << "run by KeyringActivation";
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    // The settings the console will read, not this process's own.
    qputenv("XDG_CONFIG_HOME", qgetenv("KELVANE_KEYRING_CHILD_CONFIG"));
    Setting &setting = Setting::sSetting();
    setting.useVault(std::make_unique<PasswordKeyring>());
    setting.setPass(qEnvironmentVariable("KELVANE_KEYRING_CHILD_PASS"));
    ASSERT_TRUE(settles(Place::Keyring));
    EXPECT_FALSE(settingsFile().contains(qgetenv("KELVANE_KEYRING_CHILD_PASS")));
}

// A start with the password in a keyring that does not answer yet (stopped, as behind an
// unlock prompt): the first connection waits for it rather than knock without it.
TEST(KeyringChild, FirstConnectionWaitsForTheKeyring) {
    const QByteArray address = qgetenv("KELVANE_KEYRING_CHILD_BUS");
    if (address.isEmpty()) GTEST_SKIP() << "run by KeyringActivation";
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_CONFIG_HOME", qgetenv("KELVANE_KEYRING_CHILD_CONFIG"));
    Setting &setting = Setting::sSetting();
    setting.setSessionServer(QStringLiteral("127.0.0.1"),
                             quint32(qEnvironmentVariableIntValue("KELVANE_KEYRING_CHILD_PORT")));
    setting.useVault(std::make_unique<PasswordKeyring>());
    ASSERT_EQ(setting.passwordPlace(), Place::Reading);
    MPDSocket &socket = MPDSocket::sMPDSocket();
    EXPECT_EQ(socket.link(), MPDSocket::Link::Connecting);
    spin(500);
    EXPECT_EQ(socket.link(), MPDSocket::Link::Connecting);
    EXPECT_FALSE(socket.isConnected());

    ::kill(pid_t(qEnvironmentVariableIntValue("KELVANE_KEYRING_CHILD_DAEMON")), SIGCONT);
    ASSERT_TRUE(waitUntil([&] { return socket.link() == MPDSocket::Link::Up; }, 30000));
    EXPECT_EQ(setting.passwordPlace(), Place::Keyring);
    // The server, which lets nobody in without the password, answers.
    EXPECT_TRUE(socket.getStatus().has_value());
    socket.disconnect();
}

// The processes whose parent is pid: what a bus daemon started on demand.
QList<qint64> childrenOf(qint64 pid) {
    QList<qint64> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 candidate = entry.toLongLong(&number);
        if (!number) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(candidate));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid) children << candidate;
    }
    return children;
}

TEST(KeyringActivation, NoPasswordStartsNoKeyringAndAStoredOneIsReadAtStart) {
    MpdServer server({.password = QStringLiteral("sesame")});
    ASSERT_TRUE(server.isRunning());
    // A keyring the bus starts on demand, as a desktop session's does, and a file that
    // says whether it was.
    QTemporaryDir dir;
    const QString started = dir.filePath(QStringLiteral("started"));
    const QString keyringHome = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(keyringHome);
    QFile::setPermissions(keyringHome, ownerOnly | QFileDevice::ExeOwner);
    QDir().mkpath(dir.filePath(QStringLiteral("services")));
    QFile script(dir.filePath(QStringLiteral("keyring.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ntouch '" + started.toUtf8() + "'\nexport HOME='" +
                 keyringHome.toUtf8() + "' XDG_RUNTIME_DIR='" + keyringHome.toUtf8() +
                 "' XDG_DATA_HOME='" + keyringHome.toUtf8() +
                 "/data'\nexec gnome-keyring-daemon --foreground --unlock "
                 "--components=secrets <<EOF\ntest-only-password\nEOF\n");
    script.close();
    script.setPermissions(ownerOnly | QFileDevice::ExeOwner);
    QFile service(dir.filePath(QStringLiteral("services/org.freedesktop.secrets.service")));
    ASSERT_TRUE(service.open(QIODevice::WriteOnly));
    service.write(
        "[D-BUS Service]\nName=org.freedesktop.secrets\nExec=" + script.fileName().toUtf8() + "\n");
    service.close();
    SessionBus bus(dir.filePath(QStringLiteral("services")));
    QDBusConnection probe = bus.connect(QStringLiteral("activation-probe"));
    ASSERT_TRUE(probe.interface()->activatableServiceNames().value().contains(
        QStringLiteral("org.freedesktop.secrets")));
    const auto keyringRuns = [&] {
        return probe.interface()
            ->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"))
            .value();
    };
    QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane")).remove(QStringLiteral("pass"));
    QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"))
        .remove(QStringLiteral("passInKeyring"));
    const QList<std::pair<QString, QString>> onThatBus = {
        {QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address()}};
    const QStringList toServer = {QStringLiteral("--host"), server.host(), QStringLiteral("--port"),
                                  QString::number(server.port())};

    // No password stored: the console asks no keyring, so none is started, and it
    // leaves nothing running behind it.
    {
        ConsoleProcess console(toServer, onThatBus);
        ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\t")).isNull())
            << console.lines().join(QLatin1Char('\n')).toStdString()
            << console.process().readAllStandardError().toStdString();
        console.send(QStringLiteral("quit"));
        ASSERT_TRUE(console.waitForExit());
    }
    EXPECT_FALSE(QFile::exists(started));
    EXPECT_FALSE(keyringRuns());
    EXPECT_EQ(childrenOf(bus.daemonPid()), QList<qint64>());

    // A password saved from then on goes to the keyring, which the bus starts for it.
    runChild(QStringLiteral("KeyringChild.StoresThePassword"),
             {{QStringLiteral("KELVANE_KEYRING_CHILD_BUS"), bus.address()},
              {QStringLiteral("KELVANE_KEYRING_CHILD_PASS"), QStringLiteral("sesame")},
              {QStringLiteral("KELVANE_KEYRING_CHILD_CONFIG"),
               qEnvironmentVariable("XDG_CONFIG_HOME")}});
    EXPECT_TRUE(QFile::exists(started));
    ASSERT_TRUE(keyringRuns());
    EXPECT_FALSE(settingsFile().contains("sesame"));

    // The next start reads it there before its first attempt: the server, which lets
    // nobody in without it, answers.
    {
        ConsoleProcess console(toServer, onThatBus);
        ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t"), 30000).isNull())
            << console.lines().join(QLatin1Char('\n')).toStdString();
        console.send(QStringLiteral("playlists"));
        EXPECT_EQ(console.waitForLine(QStringLiteral("end\t")), QStringLiteral("end\t0"))
            << console.lines().join(QLatin1Char('\n')).toStdString();
        console.send(QStringLiteral("quit"));
        EXPECT_TRUE(console.waitForExit());
    }

    // The same start with the keyring slow to answer: the first attempt waits for it.
    const qint64 keyringPid =
        probe.interface()->servicePid(QStringLiteral("org.freedesktop.secrets"));
    ASSERT_GT(keyringPid, 0);
    ASSERT_EQ(::kill(pid_t(keyringPid), SIGSTOP), 0);
    runChild(QStringLiteral("KeyringChild.FirstConnectionWaitsForTheKeyring"),
             {{QStringLiteral("KELVANE_KEYRING_CHILD_BUS"), bus.address()},
              {QStringLiteral("KELVANE_KEYRING_CHILD_PORT"), QString::number(server.port())},
              {QStringLiteral("KELVANE_KEYRING_CHILD_DAEMON"), QString::number(keyringPid)},
              {QStringLiteral("KELVANE_KEYRING_CHILD_CONFIG"),
               qEnvironmentVariable("XDG_CONFIG_HOME")}});
    ::kill(pid_t(keyringPid), SIGCONT);

    // The keyring the bus started ends with this test.
    if (keyringPid > 0) ::kill(pid_t(keyringPid), SIGTERM);
    EXPECT_TRUE(waitUntil([&] { return childrenOf(bus.daemonPid()).isEmpty(); }, 10000));
    QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"))
        .remove(QStringLiteral("passInKeyring"));
    Setting::sSetting().reload();
}

} // namespace
