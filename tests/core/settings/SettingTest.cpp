// The settings store: defaults, the port's text form, optional keys, address test.
#include "core/settings/Setting.h"
#include "core/settings/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using kelvane::Setting;

namespace {

QSettings store() {
    return QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"));
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        store().clear();
        Setting &s = Setting::sSetting();
        s.unsetUser();
        s.unsetPass();
        s.unsetHTTP();
        s.unsetPHP();
        s.setSessionServer(std::nullopt, std::nullopt);
        store().clear();
        s.reload();
    }
};

TEST_F(Settings, EmptyStoreGivesDefaults) {
    Setting &s = Setting::sSetting();
    EXPECT_EQ(s.host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.port(), 6600u);
    EXPECT_EQ(s.user(), QStringLiteral(""));
    EXPECT_FALSE(s.user().isNull());
    EXPECT_EQ(s.pass(), QStringLiteral(""));
    EXPECT_FALSE(s.hostHTTP().has_value());
    EXPECT_FALSE(s.argsPHP().has_value());
}

TEST_F(Settings, PortIsStoredAsDecimalTextAndReadLeniently) {
    Setting &s = Setting::sSetting();
    s.setPort(6600);
    EXPECT_EQ(store().value(QStringLiteral("port")).toString(), QStringLiteral("6600"));

    const std::pair<const char *, quint32> cases[] = {
        {"", 6600}, {"6601", 6601}, {"66a0", 66}, {"abc", 0}, {" 42", 42}};
    for (auto [text, expected] : cases) {
        store().setValue(QStringLiteral("port"), QString::fromLatin1(text));
        EXPECT_EQ(s.reload().port(), expected) << text;
    }
}

TEST_F(Settings, HostRoundTripsThroughTheStore) {
    Setting::sSetting().setHost(QStringLiteral("::1"));
    EXPECT_EQ(store().value(QStringLiteral("host")).toString(), QStringLiteral("::1"));
    EXPECT_EQ(Setting::sSetting().reload().host(), QStringLiteral("::1"));
}

TEST_F(Settings, UnsetRemovesOneKeyAndLeavesTheOthers) {
    Setting &s = Setting::sSetting();
    s.setPass(QStringLiteral("secret"));
    s.setHTTP(QStringLiteral("192.168.1.2"));
    s.setPHP(QStringLiteral("index.php?file="));
    s.unsetHTTP();
    EXPECT_FALSE(s.hostHTTP().has_value());
    EXPECT_FALSE(store().contains(QStringLiteral("HTTP")));
    EXPECT_EQ(s.pass(), QStringLiteral("secret"));
    s.unsetPHP();
    EXPECT_FALSE(s.argsPHP().has_value());
    EXPECT_EQ(s.reload().pass(), QStringLiteral("secret"));
}

TEST_F(Settings, EmptyStoredOptionalKeepsTheFieldAndWrongTypesCountAsAbsent) {
    Setting &s = Setting::sSetting();
    s.setUser(QStringLiteral("alice"));
    store().setValue(QStringLiteral("user"), QString());
    EXPECT_EQ(s.reload().user(), QStringLiteral("alice"));
    store().setValue(QStringLiteral("host"), 12);
    EXPECT_EQ(s.reload().host(), QStringLiteral("127.0.0.1"));
}

TEST_F(Settings, SessionServerWinsAndIsNeverStored) {
    Setting &s = Setting::sSetting();
    s.setHost(QStringLiteral("10.0.0.1"));
    s.setSessionServer(QStringLiteral("127.0.0.1"), 6611);
    EXPECT_EQ(s.reload().host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.port(), 6611u);
    EXPECT_EQ(store().value(QStringLiteral("host")).toString(), QStringLiteral("10.0.0.1"));
    EXPECT_FALSE(store().contains(QStringLiteral("port")));
}

TEST(SettingAddress, NumericAddressesOnly) {
    for (const char *good :
         {"192.168.1.10", "::1", "fe80::1", "0.0.0.0", "2001:db8::8a2e:370:7334"})
        EXPECT_TRUE(Setting::isValidIP(QString::fromLatin1(good))) << good;
    for (const char *bad : {"localhost", "192.168.1.256", "192.168.1", "", " 192.168.1.10",
                            "192.168.1.10 ", "[::1]", "127.0.0.1:6600", "fe80::1%"})
        EXPECT_FALSE(Setting::isValidIP(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(
        Setting::isValidIP(QStringLiteral("127.0.0.1") + QChar(0) + QStringLiteral("junk")));
}

} // namespace

TEST(ServerAddress, NamesAddressesAndSocketsAsPeopleWriteThem) {
    using namespace kelvane::serveraddress;
    for (const char *good : {"music.local", "nas", "127.0.0.1", "::1", "fe80::1",
                             "my-nas.home.arpa.", "/run/mpd/socket", "~/.mpd/socket", "@mpd"})
        EXPECT_TRUE(isWellFormed(QString::fromLatin1(good))) << good;
    for (const char *bad : {"", "192.168.1.256", "192.168.1", "-nas", "nas-", "a..b", "has space",
                            "host:6600", "[::1]", "/", "~"})
        EXPECT_FALSE(isWellFormed(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(isHostName(QString(64, QLatin1Char('a'))));
    EXPECT_FALSE(isWellFormed(QStringLiteral("/run/mpd/socket\nclear")));
    EXPECT_EQ(label(QStringLiteral("::1"), 6600), QStringLiteral("[::1]:6600"));
    EXPECT_EQ(label(QStringLiteral("nas"), 6601), QStringLiteral("nas:6601"));
}

TEST_F(Settings, NothingConfiguredPrefersTheUsersOwnSocket) {
    Setting &s = Setting::sSetting();
    QTemporaryDir runtime;
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    EXPECT_EQ(s.connectionHost(), QStringLiteral("127.0.0.1"));
    QDir(runtime.path()).mkpath(QStringLiteral("mpd"));
    QFile socket(runtime.filePath(QStringLiteral("mpd/socket")));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    EXPECT_EQ(s.connectionHost(), runtime.filePath(QStringLiteral("mpd/socket")));
    // A stored host, even the default one, is what the user chose.
    s.setHost(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.connectionHost(), QStringLiteral("127.0.0.1"));
    qputenv("XDG_RUNTIME_DIR", old);
}

TEST_F(Settings, TheStoreHoldingThePasswordIsReadableByItsOwnerOnly) {
    Setting &s = Setting::sSetting();
    s.setPass(QStringLiteral("secret"));
    s.setHost(QStringLiteral("10.0.0.1")); // a second save goes through a new file
    store().sync();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(store().fileName()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}
