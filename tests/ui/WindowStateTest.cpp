// The window comes back as it was left: geometry, sidebar width and fold, last view.
#include "ui/WindowFixture.h"

#include "ui/WindowState.h"

#include <QScreen>
#include <QSplitter>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class WindowStateTest : public WindowTest {
  protected:
    // The next start, as GuiMain runs it.
    std::unique_ptr<MainActivity> restart() {
        WindowState::save(*activity);
        activity.reset();
        flushDeletes();
        auto next = std::make_unique<MainActivity>();
        WindowState::restoreGeometry(*next);
        next->window()->show();
        next->applicationDidFinishLaunching();
        WindowState::restoreView(*next);
        return next;
    }
    void TearDown() override {
        Setting::sSetting().setWindowValue(QStringLiteral("entry"), QVariant());
        Setting::sSetting().setWindowValue(QStringLiteral("playlistsFolded"), QVariant());
        WindowTest::TearDown();
    }
};

TEST_F(WindowStateTest, GeometryFoldAndViewComeBack) {
    MainWindow *window = activity->window();
    window->show();
    window->setGeometry(20, 50, 770, 500); // inside the 800×600 offscreen screen
    window->splitter()->setSizes({300, 600});
    sideBar()->setPlaylistGroupExpanded(false);
    ASSERT_TRUE(sideBar()->selectName(QStringLiteral("Queue")));
    ASSERT_EQ(activity->currentEntry(), QStringLiteral("Queue"));
    const QSize size = window->size();

    activity = restart();
    EXPECT_EQ(activity->window()->size(), size);
    EXPECT_EQ(activity->window()->splitter()->sizes().value(0), 300);
    EXPECT_FALSE(activity->window()->sideBar()->isPlaylistGroupExpanded());
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Queue"));
}

TEST_F(WindowStateTest, StoredPlaylistComesBackOnceTheListIsReadAndAGoneOneLeavesTheAlbums) {
    MPDBulk::sMPDBulk().setInline(false);
    ASSERT_TRUE(waitUntil([&] { return sideBar()->hasEntry(QStringLiteral("beta")); }));
    ASSERT_TRUE(sideBar()->selectName(QStringLiteral("beta")));
    activity = restart();
    EXPECT_TRUE(waitUntil([&] { return activity->currentEntry() == QStringLiteral("beta"); }));

    // Removed by another client meanwhile: the albums, as on a first start.
    server->command(QStringLiteral("rm beta"));
    activity = restart();
    spin(500);
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Library"));
}

// The geometry comes back wholly inside the screen it lands on: the screen may be smaller
// than the last run's (the offscreen one is 800×600), or at a larger scale.
TEST_F(WindowStateTest, AWindowTooLargeOrOffTheScreenComesBackInsideIt) {
    MainWindow *window = activity->window();
    window->show();
    const QRect area = window->screen()->availableGeometry();
    for (const QRect &left : {QRect(300, 200, 1180, 760), QRect(-900, 2000, 780, 500)}) {
        window->setGeometry(left);
        activity = restart();
        window = activity->window();
        EXPECT_TRUE(waitUntil([&] { return area.contains(window->frameGeometry()); }))
            << left.x() << ": " << window->frameGeometry().x() << "," << window->frameGeometry().y()
            << " " << window->frameGeometry().width() << "×" << window->frameGeometry().height();
    }
    // A window that fitted keeps its size and place.
    window->setGeometry(30, 60, 760, 480);
    const QRect fitting = window->geometry();
    activity = restart();
    EXPECT_EQ(activity->window()->geometry(), fitting);
}

TEST_F(WindowStateTest, AMaximisedWindowStaysSoWithANormalGeometryThatFits) {
    MainWindow *window = activity->window();
    window->show();
    const QRect area = window->screen()->availableGeometry();
    window->setGeometry(200, 100, 1180, 760);
    window->showMaximized();
    ASSERT_TRUE(waitUntil([&] { return window->isMaximized(); }));
    activity = restart();
    window = activity->window();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_TRUE(area.contains(window->normalGeometry()))
        << window->normalGeometry().width() << "×" << window->normalGeometry().height();
    window->showNormal();
    EXPECT_TRUE(waitUntil([&] { return area.contains(window->frameGeometry()); }));
}

} // namespace

// Fitting alone, on the screens users reported: the transport bar cut off on a 1280×720
// screen, and a window twice its size at scale 2 on 1440×900 (720×450 points).
TEST(WindowFit, AFrameIsMovedInFirstAndMadeSmallerOnlyWhenTheAreaIsSmaller) {
    using WindowState::fitInside;
    const QRect hd(0, 0, 1280, 720 - 32); // a panel along the bottom
    EXPECT_EQ(fitInside(QRect(50, 40, 1180, 760), hd), QRect(50, 0, 1180, 688));
    EXPECT_EQ(fitInside(QRect(300, 40, 1180, 600), hd), QRect(100, 40, 1180, 600));
    EXPECT_EQ(fitInside(QRect(100, 100, 800, 500), hd), QRect(100, 100, 800, 500));
    const QRect scaled(0, 0, 720, 450);
    EXPECT_EQ(fitInside(QRect(0, 0, 2360, 1520), scaled), scaled);
    // Off the screen on every side, and on a second screen to the right of the first.
    EXPECT_EQ(fitInside(QRect(-500, -300, 400, 300), scaled), QRect(0, 0, 400, 300));
    EXPECT_EQ(fitInside(QRect(5000, 5000, 400, 300), scaled), QRect(320, 150, 400, 300));
    EXPECT_EQ(fitInside(QRect(1300, 10, 800, 600), QRect(1280, 0, 1024, 768)),
              QRect(1300, 10, 800, 600));
}

TEST(WindowFit, ALeastSizeLargerThanTheScreenGivesWay) {
    QWidget window;
    window.setMinimumSize(5000, 4000);
    window.setGeometry(10, 10, 5000, 4000);
    const QRect area = window.screen()->availableGeometry();
    const QMargins frame(2, 24, 2, 2);
    WindowState::fitOnScreen(&window, frame);
    // Not shown yet: placed by its frame's corner.
    EXPECT_TRUE(area.contains(QRect(window.pos(), window.size().grownBy(frame))));
    EXPECT_LE(window.minimumWidth(), area.width() - 4);
    EXPECT_LE(window.minimumHeight(), area.height() - 26);
}
