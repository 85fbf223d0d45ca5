// The MPD password in a real keyring (gnome-keyring on a private bus, unlocked with a
// test-only password), and the fall-back to the private settings file when no keyring
// is on the bus. The process's keyring client binds to one bus for its whole life, so
// the fall-back runs in a child process of this same test program.
#include "desktop/SessionBus.h"

#include "core/settings/Setting.h"
#include "desktop/PasswordKeyring.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <utility>

using namespace kelvane;
using namespace kelvane::test;

namespace {

QByteArray settingsFile() {
    QFile file(QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane")).fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QFileDevice::Permissions settingsPermissions() {
    return QFile::permissions(
        QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane")).fileName());
}

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser;

// The bus the keyring client bound to must outlive every test: the client ends the
// whole process when its bus goes away. Stopped when the application object goes.
struct KeyringPeer {
    SessionBus bus;
    QTemporaryDir home;
    QProcess keyring;
    ~KeyringPeer() {
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
    EXPECT_FALSE(settingsFile().contains("old-secret"));
    EXPECT_FALSE(setting.passwordInClear());
    EXPECT_EQ(setting.pass(), QStringLiteral("old-secret"));
    QString inKeyring;
    EXPECT_EQ(PasswordKeyring().read(&inKeyring), PasswordVault::Result::Ok);
    EXPECT_EQ(inKeyring, QStringLiteral("old-secret"));

    setting.setPass(QStringLiteral("new-secret"));
    EXPECT_FALSE(settingsFile().contains("new-secret"));
    EXPECT_EQ(PasswordKeyring().read(&inKeyring), PasswordVault::Result::Ok);
    EXPECT_EQ(inKeyring, QStringLiteral("new-secret"));

    // A later start reads it from the keyring.
    setting.unsetUser();
    setting.useVault(std::make_unique<PasswordKeyring>());
    EXPECT_EQ(setting.pass(), QStringLiteral("new-secret"));

    setting.unsetPass();
    EXPECT_EQ(PasswordKeyring().read(&inKeyring), PasswordVault::Result::NotFound);
    setting.useVault(nullptr);
}

TEST(Keyring, WithoutAKeyringThePasswordStaysInAPrivateFile) {
    SessionBus bus; // nothing on it
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KELVANE_KEYRING_CHILD_BUS"), bus.address());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=KeyringChild.*")});
    ASSERT_TRUE(child.waitForStarted(5000));
    waitUntil([&] { return child.state() == QProcess::NotRunning; }, 30000);
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
}

TEST(KeyringChild, NoKeyringAnswers) {
    const QByteArray address = qgetenv("KELVANE_KEYRING_CHILD_BUS");
    if (address.isEmpty()) GTEST_SKIP() << "run by WithoutAKeyringThePasswordStaysInAPrivateFile";
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    Setting &setting = Setting::sSetting();
    setting.setPass(QStringLiteral("old-secret"));
    setting.useVault(std::make_unique<PasswordKeyring>(3000));
    EXPECT_FALSE(setting.hasVault());
    EXPECT_TRUE(setting.passwordInClear());
    EXPECT_EQ(setting.pass(), QStringLiteral("old-secret"));
    EXPECT_TRUE(settingsFile().contains("old-secret"));
    EXPECT_EQ(settingsPermissions() & ~ownerOnly, QFileDevice::Permissions());
}

} // namespace
