// The playback modes and audio outputs in the window's menus and bar, against a real
// mpd that another client (mpc) changes too.
#include "WindowFixture.h"

#include "ui/NowPlayingBar.h"

#include <QAction>
#include <QToolButton>

namespace kelvane::test {

namespace {
class PlaybackModesTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char *line : {"random 0", "repeat 0", "single 0", "consume 0", "crossfade 0",
                                 "replay_gain_mode off", "enableoutput 0"})
            server->command(QString::fromLatin1(line));
        // The window shows the reset before a test clicks (a click asks for the opposite
        // of what is shown).
        ASSERT_TRUE(waitUntil(
            [&] {
                return !checked("random") && !checked("repeat") && !checked("single") &&
                       !checked("consume") && checked("crossfade0") && checked("replayGain_off");
            },
            3000));
    }
    bool checked(const char *id) {
        QAction *a = activity->action(QString::fromLatin1(id));
        return a && a->isChecked();
    }
    void trigger(const char *id) {
        QAction *a = activity->action(QString::fromLatin1(id));
        ASSERT_TRUE(a) << id;
        a->trigger();
    }
    QString status(const char *key) {
        return server->value(QStringLiteral("status"), QString::fromLatin1(key));
    }
};
} // namespace

TEST_F(PlaybackModesTest, ModesSetElsewhereShowInTheMenusAndTheBar) {
    NowPlayingBar *bar = activity->window()->bar();
    server->mpc({QStringLiteral("random"), QStringLiteral("on")});
    server->mpc({QStringLiteral("single"), QStringLiteral("once")});
    server->mpc({QStringLiteral("crossfade"), QStringLiteral("5")});
    server->mpc({QStringLiteral("replaygain"), QStringLiteral("album")});
    EXPECT_TRUE(waitUntil(
        [&] {
            return checked("random") && checked("single") && checked("oneshot") &&
                   checked("crossfade5") && checked("replayGain_album");
        },
        3000));
    EXPECT_TRUE(bar->randomButton()->isChecked());
    EXPECT_FALSE(bar->repeatButton()->isChecked());
    EXPECT_FALSE(checked("crossfade0"));
    EXPECT_FALSE(checked("replayGain_off"));

    // A length the menu does not offer checks none of its entries.
    server->mpc({QStringLiteral("crossfade"), QStringLiteral("3")});
    server->mpc({QStringLiteral("random"), QStringLiteral("off")});
    EXPECT_TRUE(waitUntil([&] { return !checked("random") && !checked("crossfade5"); }, 3000));
    for (const char *id : {"crossfade0", "crossfade2", "crossfade5", "crossfade10"})
        EXPECT_FALSE(checked(id)) << id;
    EXPECT_FALSE(bar->randomButton()->isChecked());
    // It shows as what it is, checked, until a length the menu offers comes back.
    QAction *other = activity->action(QStringLiteral("crossfadeOther"));
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->isVisible());
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(other->text(), QStringLiteral("3 s (réglé ailleurs)"));
    other->trigger(); // choosing it again leaves things as they are
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(status("xfade"), QStringLiteral("3"));
    server->mpc({QStringLiteral("crossfade"), QStringLiteral("2")});
    EXPECT_TRUE(waitUntil([&] { return checked("crossfade2"); }, 3000));
    EXPECT_FALSE(other->isVisible());
    EXPECT_FALSE(other->isChecked());
}

TEST_F(PlaybackModesTest, MenuAndBarAskTheServerAndShowOnlyItsAnswer) {
    NowPlayingBar *bar = activity->window()->bar();
    // Oneshot round trip: once on, then back to plain single, then off.
    trigger("oneshot");
    EXPECT_EQ(status("single"), QStringLiteral("oneshot"));
    EXPECT_TRUE(checked("oneshot"));
    EXPECT_TRUE(checked("single"));
    trigger("oneshot");
    EXPECT_EQ(status("single"), QStringLiteral("1"));
    EXPECT_FALSE(checked("oneshot"));
    EXPECT_TRUE(checked("single"));
    trigger("single");
    EXPECT_EQ(status("single"), QStringLiteral("0"));

    trigger("crossfade10");
    EXPECT_EQ(status("xfade"), QStringLiteral("10"));
    // Choosing the entry already checked leaves it checked (it is a choice, not a toggle).
    trigger("crossfade10");
    EXPECT_TRUE(checked("crossfade10"));
    trigger("replayGain_track");
    EXPECT_EQ(
        server->value(QStringLiteral("replay_gain_status"), QStringLiteral("replay_gain_mode")),
        QStringLiteral("track"));
    EXPECT_TRUE(checked("replayGain_track"));

    bar->repeatButton()->click();
    EXPECT_EQ(status("repeat"), QStringLiteral("1"));
    EXPECT_TRUE(bar->repeatButton()->isChecked());
    EXPECT_TRUE(checked("repeat"));

    // Not connected: the click is refused, and the marks stay what the server said last.
    MPDSocket::sMPDSocket().disconnect();
    EXPECT_FALSE(activity->action(QStringLiteral("consume"))->isEnabled());
    bar->randomButton()->click();
    EXPECT_FALSE(bar->randomButton()->isChecked());
    MPDSocket::sMPDSocket().connect();
    EXPECT_EQ(status("random"), QStringLiteral("0"));
}

TEST_F(PlaybackModesTest, OutputsFollowTheServerBothWays) {
    QMenu *outputs = activity->window()->findChild<QMenu *>(QStringLiteral("outputsMenu"));
    ASSERT_TRUE(outputs);
    ASSERT_TRUE(waitUntil([&] { return checked("output0"); }, 3000));
    EXPECT_EQ(activity->action(QStringLiteral("output0"))->text(), QStringLiteral("null"));

    trigger("output0");
    EXPECT_EQ(server->value(QStringLiteral("outputs"), QStringLiteral("outputenabled")),
              QStringLiteral("0"));
    EXPECT_TRUE(waitUntil(
        [&] { return activity->action(QStringLiteral("output0")) && !checked("output0"); }, 3000));

    server->mpc({QStringLiteral("enable"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return checked("output0"); }, 3000));
    // One entry per output, however often the list was rebuilt.
    spin(20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(outputs->actions().size(), 1);
}

} // namespace kelvane::test
