#include "ui/Preferences.h"
#include "core/settings/Setting.h"
#include "covers/CoverChain.h"
#include "ui/base/Style.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kelvane;

namespace {

QVariant stored(const QString &key) {
    QSettings store(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"));
    store.sync();
    return store.value(key);
}

bool isRed(QLabel *label) {
    return label->palette().color(QPalette::WindowText) == Style::errorRed();
}

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Through Setting, so its memory and the store agree before each case.
        Setting &s = Setting::sSetting();
        s.setHost(QStringLiteral("127.0.0.1"));
        s.setPort(6600);
        s.unsetUser();
        s.unsetPass();
        s.unsetHTTP();
        s.unsetPHP();
        prefs = std::make_unique<Preferences>();
        prefs->showWindow();
    }
    void fill(const QString &host, const QString &port) {
        prefs->serverField()->setText(host);
        prefs->portField()->setText(port);
    }
    std::unique_ptr<Preferences> prefs;
};

} // namespace

TEST_F(PreferencesTest, OpensWithWhatIsStoredAndTheCoverBoxesInTheirDefaultStates) {
    EXPECT_EQ(prefs->serverField()->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(prefs->portField()->text(), QStringLiteral("6600"));
    EXPECT_EQ(prefs->passwordField()->text(), QStringLiteral(""));
    EXPECT_TRUE(prefs->checkButtonHTTP()->isChecked());
    EXPECT_FALSE(prefs->serverHTTPField()->isEnabled());
    EXPECT_FALSE(prefs->checkButtonPHP()->isChecked());
    EXPECT_FALSE(prefs->argsPHPField()->isEnabled());
    // Opposite senses.
    prefs->checkButtonHTTP()->setChecked(false);
    EXPECT_TRUE(prefs->serverHTTPField()->isEnabled());
    prefs->checkButtonPHP()->setChecked(true);
    EXPECT_TRUE(prefs->argsPHPField()->isEnabled());
}

TEST_F(PreferencesTest, RefusedAddressKeepsTheOtherValuesStored) {
    fill(QStringLiteral("not a host"), QStringLiteral("6601"));
    prefs->usernameField()->setText(QStringLiteral("me"));
    prefs->passwordField()->setText(QStringLiteral("secret"));
    prefs->checkButtonHTTP()->setChecked(false);
    prefs->serverHTTPField()->setText(QStringLiteral("192.168.1.20"));
    prefs->checkButtonPHP()->setChecked(true);
    prefs->argsPHPField()->setText(QStringLiteral("cover.php?p="));
    prefs->save();
    EXPECT_TRUE(isRed(prefs->labelIP()));
    EXPECT_FALSE(isRed(prefs->labelPort()));
    EXPECT_TRUE(prefs->isVisible());
    EXPECT_FALSE(prefs->isValidIP());
    EXPECT_EQ(stored("host").toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(stored("port").toString(), QStringLiteral("6601"));
    EXPECT_EQ(stored("user").toString(), QStringLiteral("me"));
    EXPECT_EQ(stored("pass").toString(), QStringLiteral("secret"));
    EXPECT_EQ(stored("HTTP").toString(), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(stored("PHP").toString(), QStringLiteral("cover.php?p="));

    // Mended address: the label turns back and the window closes.
    fill(QStringLiteral("::1"), QStringLiteral("6601"));
    prefs->save();
    EXPECT_FALSE(isRed(prefs->labelIP()));
    EXPECT_FALSE(prefs->isVisible());
    EXPECT_EQ(stored("host").toString(), QStringLiteral("::1"));
}

TEST_F(PreferencesTest, PortRules) {
    struct Case {
        const char *text;
        bool valid;
        const char *storedAfter;
    };
    const Case cases[] = {{"65536", false, "6600"}, {"66a0", false, "6600"},
                          {" 6600", false, "6600"}, {"6600 ", false, "6600"},
                          {"", false, "6600"},      {"-1", false, "6600"},
                          {"65535", true, "65535"}, {"06600", true, "6600"},
                          {"0", false, "6600"},     {"00000000000000000006601", true, "6601"}};
    for (const Case &c : cases) {
        SetUp();
        fill(QStringLiteral("127.0.0.1"), QString::fromUtf8(c.text));
        prefs->save();
        EXPECT_EQ(prefs->isValidPort(), c.valid) << c.text;
        EXPECT_EQ(isRed(prefs->labelPort()), !c.valid) << c.text;
        EXPECT_EQ(prefs->isVisible(), !c.valid) << c.text;
        EXPECT_EQ(stored("port").toString(), QString::fromUtf8(c.storedAfter)) << c.text;
    }
}

TEST_F(PreferencesTest, ClearingThePasswordRemovesIt) {
    Setting::sSetting().setPass(QStringLiteral("old"));
    prefs.reset(new Preferences);
    EXPECT_EQ(prefs->passwordField()->text(), QStringLiteral("old"));
    prefs->passwordField()->clear();
    prefs->save();
    EXPECT_FALSE(stored("pass").isValid());
    EXPECT_FALSE(Setting::sSetting().hasPass());
}

TEST_F(PreferencesTest, CheckBoxesWinOverTheirFields) {
    Setting::sSetting().setHTTP(QStringLiteral("10.0.0.2"));
    Setting::sSetting().setPHP(QStringLiteral("args"));
    prefs.reset(new Preferences);
    // Stored cover values open the fields.
    EXPECT_FALSE(prefs->checkButtonHTTP()->isChecked());
    EXPECT_EQ(prefs->serverHTTPField()->text(), QStringLiteral("10.0.0.2"));
    EXPECT_TRUE(prefs->checkButtonPHP()->isChecked());
    EXPECT_EQ(prefs->argsPHPField()->text(), QStringLiteral("args"));

    prefs->checkButtonHTTP()->setChecked(true); // the address stays typed
    prefs->checkButtonPHP()->setChecked(false); // the text stays typed
    prefs->save();
    EXPECT_FALSE(stored("HTTP").isValid());
    EXPECT_FALSE(stored("PHP").isValid());
    EXPECT_FALSE(Setting::sSetting().storedHostHTTP().has_value());
    EXPECT_FALSE(Setting::sSetting().argsPHP().has_value());
}

TEST_F(PreferencesTest, ShowsTheStoredServerNotTheSessionOne) {
    Setting &s = Setting::sSetting();
    const QString sessionHost = s.host();
    const quint32 sessionPort = s.port();
    s.setSessionServer(QStringLiteral("10.9.9.9"), 1234);
    s.setSessionHTTP(QStringLiteral("10.9.9.8"));
    prefs.reset(new Preferences);
    EXPECT_EQ(prefs->serverField()->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(prefs->portField()->text(), QStringLiteral("6600"));
    EXPECT_TRUE(prefs->checkButtonHTTP()->isChecked());
    prefs->save();
    EXPECT_EQ(stored("host").toString(), QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(stored("HTTP").isValid());
    s.setSessionHTTP(std::nullopt);
    s.setSessionServer(sessionHost, sessionPort);
}

TEST_F(PreferencesTest, InvalidCoverServerIsDroppedWithoutAMark) {
    prefs->checkButtonHTTP()->setChecked(false);
    prefs->serverHTTPField()->setText(QStringLiteral("covers.local"));
    prefs->save();
    EXPECT_FALSE(stored("HTTP").isValid());
    EXPECT_FALSE(prefs->isVisible());
}

TEST_F(PreferencesTest, ServerCoversBoxIsOnByDefaultAndSavingGivesCoversAnotherChance) {
    // Nothing stored, or something that is not "false": on.
    EXPECT_TRUE(prefs->checkButtonMPDCovers()->isChecked());
    EXPECT_EQ(prefs->checkButtonMPDCovers()->text(),
              QStringLiteral("Pochettes fournies par le serveur MPD"));
    QSignalSpy invalidated(&CoverChain::sCoverChain(), &CoverChain::coversInvalidated);
    prefs->checkButtonMPDCovers()->setChecked(false);
    prefs->save();
    EXPECT_EQ(stored(QStringLiteral("mpdCovers")).toString(), QStringLiteral("false"));
    EXPECT_FALSE(Setting::sSetting().reload().mpdCovers());
    EXPECT_EQ(invalidated.count(), 1) << "a web server found dead gets another chance";
    prefs.reset(new Preferences);
    EXPECT_FALSE(prefs->checkButtonMPDCovers()->isChecked());

    QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"))
        .setValue(QStringLiteral("mpdCovers"), QStringLiteral("garbage"));
    prefs.reset(new Preferences);
    EXPECT_TRUE(prefs->checkButtonMPDCovers()->isChecked());
    prefs->save();
    EXPECT_TRUE(Setting::sSetting().mpdCovers());
}

namespace {
// A listening Unix socket at path, closed with the returned guard.
struct UnixListener {
    int fd = -1;
    explicit UnixListener(const QString &path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        const QByteArray bytes = path.toUtf8();
        std::memcpy(where.sun_path, bytes.constData(), size_t(bytes.size()));
        ::bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where);
        ::listen(fd, 1);
    }
    ~UnixListener() { ::close(fd); }
};
} // namespace

TEST_F(PreferencesTest, AddressesAreNamesThatResolveOrSocketsThatExist) {
    QTemporaryDir dir(QStringLiteral("/tmp/kvp-XXXXXX"));
    const QString socketPath = dir.filePath(QStringLiteral("mpd.sock"));
    UnixListener listener(socketPath);
    struct Case {
        QString host;
        bool valid;
    };
    const Case cases[] = {{QStringLiteral("localhost"), true},
                          {QStringLiteral("nosuch-host.invalid"), false},
                          {socketPath, true},
                          {dir.filePath(QStringLiteral("absent.sock")), false},
                          {dir.path(), false}, // a directory is no socket
                          {QStringLiteral("~/kelvane-no-such.sock"), false},
                          {QStringLiteral("host\nping"), false}};
    for (const Case &c : cases) {
        SetUp();
        fill(c.host, QStringLiteral("6600"));
        prefs->save();
        ASSERT_TRUE(QTest::qWaitFor([&] { return prefs->checkedHosts() == 1; }, 5000))
            << qPrintable(c.host);
        EXPECT_EQ(prefs->isValidIP(), c.valid) << qPrintable(c.host);
        EXPECT_EQ(isRed(prefs->labelIP()), !c.valid) << qPrintable(c.host);
        EXPECT_EQ(prefs->isVisible(), !c.valid) << qPrintable(c.host);
        EXPECT_EQ(stored("host").toString(), c.valid ? c.host : QStringLiteral("127.0.0.1"))
            << qPrintable(c.host);
    }
}

TEST_F(PreferencesTest, ALateLookupDoesNotOverrideANewerSave) {
    fill(QStringLiteral("nosuch-host.invalid"), QStringLiteral("6600"));
    prefs->save(); // looked up off the GUI thread
    fill(QStringLiteral("::1"), QStringLiteral("6600"));
    prefs->save(); // known at once
    EXPECT_FALSE(isRed(prefs->labelIP()));
    QTest::qWait(300); // the first answer arrives and is dropped
    EXPECT_FALSE(isRed(prefs->labelIP()));
    EXPECT_EQ(stored("host").toString(), QStringLiteral("::1"));
}

TEST_F(PreferencesTest, ClosingDuringALookupDropsItsAnswer) {
    fill(QStringLiteral("localhost"), QStringLiteral("6600"));
    prefs->save();
    prefs.reset();
    QTest::qWait(300);
    EXPECT_EQ(stored("host").toString(), QStringLiteral("127.0.0.1"));
}

TEST_F(PreferencesTest, TrackNotificationsAreOffUntilTickedAndSaved) {
    EXPECT_FALSE(prefs->checkButtonNotify()->isChecked());
    EXPECT_FALSE(Setting::sSetting().notifyTrackChange());
    prefs->checkButtonNotify()->setChecked(true);
    prefs->save();
    EXPECT_EQ(stored(QStringLiteral("notifyTrackChange")).toString(), QStringLiteral("yes"));
    Preferences again;
    EXPECT_TRUE(again.checkButtonNotify()->isChecked());
    again.checkButtonNotify()->setChecked(false);
    again.save();
    EXPECT_FALSE(Setting::sSetting().notifyTrackChange());
}
