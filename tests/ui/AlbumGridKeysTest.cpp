// Keys of the album grid inside the window, where the window's own shortcuts also
// listen: Space opens the current album's songs rather than toggling playback; Ctrl+F
// brings the albums' search field from any view.
#include "WindowFixture.h"

#include "ui/NowPlayingBar.h"
#include "ui/views/library/AlbumContentView.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumPopover.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/SongTable.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// The grid's row of the album in that directory, -1 when it is not shown.
int rowOf(AlbumsView &albums, const QString &path) {
    for (int row = 0; row < albums.model()->rowCount(); ++row)
        if (albums.model()->album(row).path == path) return row;
    return -1;
}

} // namespace

TEST_F(WindowTest, SpaceInTheGridOpensTheCurrentAlbumAndLeavesPlayback) {
    server->command(QStringLiteral("stop"));
    MainWindow *window = activity->window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto *albums = qobject_cast<AlbumsView *>(activity->currentContentView());
    ASSERT_NE(albums, nullptr);
    QListView *grid = albums->collectionView();
    const int abbey = rowOf(*albums, QStringLiteral("The Beatles/Abbey Road"));
    ASSERT_GE(abbey, 0);
    grid->setFocus();
    grid->setCurrentIndex(albums->model()->index(abbey));

    int toggles = 0;
    QObject::connect(activity->action(QStringLiteral("playButton")), &QAction::triggered,
                     [&] { ++toggles; });
    QTest::keyClick(grid, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
    EXPECT_EQ(AlbumPopover::current()->contentView()->albumName()->text(),
              QStringLiteral("Abbey Road"));
    // Its songs take the keys at once, and the window says whose songs they are.
    EXPECT_TRUE(AlbumPopover::current()->contentView()->albumTableView()->hasFocus());
    EXPECT_EQ(AlbumPopover::current()->accessibleName(), QStringLiteral("Abbey Road"));
    AlbumPopover::current()->close();
    EXPECT_EQ(toggles, 0);

    // Elsewhere in the window Space still plays and pauses.
    activity->window()->sideBar()->setFocus();
    QTest::keyClick(activity->window()->sideBar(), Qt::Key_Space);
    EXPECT_EQ(toggles, 1);
    server->command(QStringLiteral("stop"));
}

TEST_F(WindowTest, ControlFBringsTheAlbumSearchFromAnyView) {
    MainWindow *window = activity->window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    activity->window()->sideBar()->selectRow(2);
    ASSERT_EQ(activity->currentContentName(), QStringLiteral("Queue"));
    QTest::keyClick(activity->window()->sideBar(), Qt::Key_F, Qt::ControlModifier);
    auto *albums = qobject_cast<AlbumsView *>(activity->currentContentView());
    ASSERT_NE(albums, nullptr);
    EXPECT_TRUE(albums->searchField()->hasFocus());
    // Typed there, keys are text: Space is a space, not play/pause.
    int toggles = 0;
    QObject::connect(activity->action(QStringLiteral("playButton")), &QAction::triggered,
                     [&] { ++toggles; });
    QTest::keyClicks(albums->searchField(), QStringLiteral("abbey road"));
    EXPECT_EQ(albums->searchField()->text(), QStringLiteral("abbey road"));
    EXPECT_EQ(toggles, 0);
    EXPECT_EQ(albums->model()->rowCount(), 1);
}

// The cover's hover and right-click actions from the keyboard: the Menu key opens the
// current album's menu, Ctrl+Return plays the album next.
TEST_F(WindowTest, MenuKeyAndControlReturnOnTheCurrentAlbum) {
    server->command(QStringLiteral("clear"));
    server->command(QStringLiteral("add \"Compilations/Summer Hits/01 Sun.flac\""));
    MainWindow *window = activity->window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto *albums = qobject_cast<AlbumsView *>(activity->currentContentView());
    ASSERT_NE(albums, nullptr);
    QListView *grid = albums->collectionView();
    const int abbey = rowOf(*albums, QStringLiteral("The Beatles/Abbey Road"));
    ASSERT_GE(abbey, 0);
    EXPECT_EQ(albums->model()->index(abbey).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Abbey Road — The Beatles"));
    grid->setFocus();
    grid->setCurrentIndex(albums->model()->index(abbey));

    QStringList titles;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                if (!action->isSeparator()) titles << action->text();
            menu->close();
        }
    });
    QTest::keyClick(grid, Qt::Key_Menu);
    EXPECT_TRUE(titles.contains(QStringLiteral("Lire ensuite")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Afficher les morceaux")));

    QTest::keyClick(grid, Qt::Key_Return, Qt::ControlModifier);
    const auto files = [] {
        QStringList found;
        for (const QString &line : server->command(QStringLiteral("playlistinfo")))
            if (line.startsWith(QLatin1String("file: "))) found << line.mid(6);
        return found;
    };
    EXPECT_TRUE(waitUntil([&] { return files().size() == 3; }));
    EXPECT_TRUE(files().contains(QStringLiteral("The Beatles/Abbey Road/02 Something.flac")));
    server->command(QStringLiteral("clear"));
}
