// The window comes back as it was left: geometry, sidebar width and fold, last view.
#include "ui/WindowFixture.h"

#include "ui/WindowState.h"

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
    window->setGeometry(40, 50, 900, 600);
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

} // namespace
