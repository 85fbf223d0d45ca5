// The now-playing bar as screen readers and keys drive it: the sliders read their value in
// seconds and percent (not the slider's thousandths), the progress bar only shows, a key
// on the seek bar is one seek while the poll's updates are none, and a toggle pressed
// through the accessible interface (a toggle, not a click) asks the server once.
#include "WindowFixture.h"

#include "ui/NowPlayingBar.h"
#include "ui/base/ProgressSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace kelvane;
using namespace kelvane::test;

TEST_F(WindowTest, SlidersReadTheirValuesAsPeopleSayThem) {
    NowPlayingBar *bar = activity->window()->bar();
    activity->onVolumeChange(42);
    QAccessibleInterface *volume = QAccessible::queryAccessibleInterface(bar->volumeSlider());
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->role(), QAccessible::Slider);
    EXPECT_EQ(volume->text(QAccessible::Name), QStringLiteral("Volume"));
    EXPECT_EQ(volume->text(QAccessible::Description), QStringLiteral("42 %"));
    ASSERT_NE(volume->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(volume->valueInterface()->currentValue().toDouble(), 42);
    EXPECT_DOUBLE_EQ(volume->valueInterface()->maximumValue().toDouble(), 100);
    // Set through the interface, the volume goes to the server as the slider's own move.
    QList<int> asked;
    QObject::connect(bar, &NowPlayingBar::volumeChanged, [&](int v) { asked << v; });
    volume->valueInterface()->setCurrentValue(30);
    volume->valueInterface()->setCurrentValue(300); // clamped
    EXPECT_EQ(asked, QList<int>({30, 100}));
    activity->onVolumeChange(4294967295u);
    EXPECT_EQ(volume->text(QAccessible::Description), QStringLiteral("sans contrôle du volume"));

    bar->setMaximumTime(245);
    bar->setElapsed(83000);
    QAccessibleInterface *seek = QAccessible::queryAccessibleInterface(bar->seekToBar());
    QAccessibleInterface *progress = QAccessible::queryAccessibleInterface(bar->progressTrack());
    EXPECT_EQ(seek->role(), QAccessible::Slider);
    EXPECT_EQ(seek->text(QAccessible::Name), QStringLiteral("Position"));
    EXPECT_EQ(seek->text(QAccessible::Description), QStringLiteral("1:23 sur 4:05"));
    // Away from the keys the seek bar keeps what the pointer left, and still reads the
    // song's place.
    EXPECT_DOUBLE_EQ(bar->seekToBar()->doubleValue(), 0);
    EXPECT_EQ(progress->role(), QAccessible::ProgressBar);
    EXPECT_TRUE(progress->state().readOnly);
    progress->valueInterface()->setCurrentValue(10);
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 83);
}

TEST_F(WindowTest, SeekBarKeysSeekOnceEachAndThePollNever) {
    NowPlayingBar *bar = activity->window()->bar();
    QList<float> seeks;
    QObject::connect(bar, &NowPlayingBar::seekRequested, [&](float s) { seeks << s; });
    MainWindow *window = activity->window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ProgressSlider *seekBar = bar->seekToBar();
    EXPECT_EQ(seekBar->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    seekBar->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(seekBar->hasFocus());
    bar->setSeekable(true);
    bar->setMaximumTime(300);
    bar->setElapsed(60000);
    bar->setElapsed(61000);
    EXPECT_TRUE(seeks.isEmpty());
    QTest::keyClick(seekBar, Qt::Key_Right);
    QTest::keyClick(seekBar, Qt::Key_PageUp);
    EXPECT_EQ(seeks, QList<float>({66.f, 96.f}));
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 96);
    // A stream cannot be seeked: the keys ask nothing.
    bar->setSeekable(false);
    QTest::keyClick(seekBar, Qt::Key_Right);
    EXPECT_EQ(seeks.size(), 2);
}

TEST(AccessibleBarTest, ModeTogglesAskOnceAndShowWhatTheServerSays) {
    // A bar of its own: the window's would hear the server answer at once.
    auto owned = std::make_unique<NowPlayingBar>();
    NowPlayingBar *bar = owned.get();
    bar->setModes(false, true);
    QList<bool> random, repeat;
    QObject::connect(bar, &NowPlayingBar::randomToggled, [&](bool on) { random << on; });
    QObject::connect(bar, &NowPlayingBar::repeatToggled, [&](bool on) { repeat << on; });
    // A screen reader's toggle action, then a click: each asks once, and the marks stay
    // the server's until it answers.
    QAccessibleInterface *toggle = QAccessible::queryAccessibleInterface(bar->randomButton());
    ASSERT_NE(toggle->actionInterface(), nullptr);
    toggle->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    bar->repeatButton()->click();
    EXPECT_EQ(random, QList<bool>({true}));
    EXPECT_EQ(repeat, QList<bool>({false}));
    EXPECT_FALSE(bar->randomButton()->isChecked());
    EXPECT_TRUE(bar->repeatButton()->isChecked());
    EXPECT_TRUE(toggle->state().checkable);
    EXPECT_FALSE(toggle->state().checked);
    bar->setModes(true, false);
    EXPECT_TRUE(toggle->state().checked);
    EXPECT_EQ(random.size() + repeat.size(), 2);
}

TEST_F(WindowTest, TheSongPlayingReadsInOnePlace) {
    NowPlayingBar *bar = activity->window()->bar();
    bar->setSongTitleText(QStringLiteral("Come Together"));
    bar->setArtistAndAlbumText(QStringLiteral("The Beatles - Abbey Road"));
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(bar->nowPlayingBox());
    EXPECT_EQ(box->text(QAccessible::Name), QStringLiteral("Lecture en cours"));
    EXPECT_EQ(box->text(QAccessible::Description),
              QStringLiteral("Come Together, The Beatles - Abbey Road"));
    // The title label reads whole, though the bar shows it cut short.
    const QString longTitle(300, QLatin1Char('x'));
    bar->setSongTitleText(longTitle);
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(bar->currentSongTitle())->text(QAccessible::Name),
        longTitle);
}
