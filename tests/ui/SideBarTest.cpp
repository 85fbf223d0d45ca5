#include "WindowFixture.h"

#include "core/library/CurrentPlaylisyView.h"
#include "ui/NowPlayingBar.h"
#include "ui/base/SidebarItem.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace kelvane;
using namespace kelvane::test;

TEST_F(WindowTest, SidebarRowsSourcesThenStoredPlaylists) {
    SideBar *bar = sideBar();
    const QStringList expected{"Source", "Library",  "Queue", "Stream",
                               "Radio",  "Playlist", "Alpha", "beta"};
    ASSERT_EQ(bar->rowCount(), expected.size());
    for (int row = 0; row < expected.size(); ++row)
        EXPECT_EQ(bar->nameAtRow(row), expected[row]) << row;
    EXPECT_EQ(SideBar::displayText("Library"), QStringLiteral("Albums"));
    EXPECT_EQ(SideBar::displayText("Queue"), QStringLiteral("Lecture en cours"));
    EXPECT_EQ(bar->cellOf("Queue")->textField()->text(), QStringLiteral("Lecture en cours"));
    // Headers cannot be selected; the window starts on the albums.
    EXPECT_FALSE(bar->selectRow(0));
    EXPECT_FALSE(bar->selectRow(5));
    EXPECT_EQ(bar->selectedName(), QStringLiteral("Library"));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));
}

TEST_F(WindowTest, AlbumBadgeCountsTheCurrentAlbumList) {
    const auto &albums = MPDCache::sMPDCache().getCurrentAlbumList();
    ASSERT_TRUE(albums.has_value());
    SidebarItem *library = sideBar()->cellOf("Library");
    EXPECT_FALSE(library->button()->isHidden());
    EXPECT_EQ(library->button()->text(), QString::number(albums->size()));
    EXPECT_TRUE(sideBar()->cellOf("Queue")->button()->isHidden());
    EXPECT_TRUE(sideBar()->cellOf("Alpha")->button()->isHidden());
}

TEST_F(WindowTest, AlbumBadgeCountsWithoutTheAlbumsBeingShown) {
    // As at a start that restores another view: the albums come up first and go again
    // at once, while their list is still being read off the GUI thread.
    activity.reset();
    flushDeletes();
    MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    MPDBulk::sMPDBulk().setInline(false);
    struct InPlaceAgain {
        ~InPlaceAgain() {
            MPDBulk::sMPDBulk().waitForDone();
            spin(20);
            MPDBulk::sMPDBulk().setInline(true);
        }
    } inPlaceAgain;
    activity = std::make_unique<MainActivity>();
    activity->applicationDidFinishLaunching();
    SidebarItem *library = sideBar()->cellOf("Library");
    // Not known yet: no number, rather than a 0 that says the library is empty.
    if (!MPDCache::sMPDCache().getCurrentAlbumList()) {
        EXPECT_TRUE(library->button()->isHidden());
    }
    sideBar()->selectName(QStringLiteral("Queue"));
    flushDeletes();
    ASSERT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getCurrentAlbumList().has_value(); }));
    library = sideBar()->cellOf("Library");
    EXPECT_FALSE(library->button()->isHidden());
    EXPECT_EQ(library->button()->text(),
              QString::number(MPDCache::sMPDCache().getCurrentAlbumList()->size()));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Queue"));
}

TEST_F(WindowTest, ContextMenuByRow) {
    EXPECT_EQ(menuTitles(-1), QStringList{"Nouvelle playlist"});
    EXPECT_EQ(menuTitles(2), QStringList{"Enregistrer comme playlist"});
    for (int row : {0, 1, 3, 4, 5})
        EXPECT_TRUE(menuTitles(row).isEmpty()) << row;
    EXPECT_EQ(menuTitles(6), QStringList({"Renommer", "Supprimer"}));
    EXPECT_EQ(activity->playlistAddDelete(), QStringLiteral("Alpha"));
    EXPECT_EQ(menuTitles(7), QStringList({"Renommer", "Supprimer"}));
    EXPECT_EQ(activity->playlistAddDelete(), QStringLiteral("beta"));
    EXPECT_TRUE(menuTitles(8).isEmpty());
}

TEST_F(WindowTest, CollapsedPlaylistGroupHasNoRowsToClick) {
    SideBar *bar = sideBar();
    bar->setPlaylistGroupExpanded(false);
    EXPECT_EQ(bar->rowCount(), 6);
    EXPECT_TRUE(bar->nameAtRow(6).isNull());
    // A reload keeps the group as the user left it.
    activity->updateSidebar();
    EXPECT_EQ(bar->rowCount(), 6);
    // "Source" does not collapse, whatever asks.
    bar->topLevelItem(0)->setExpanded(false);
    EXPECT_TRUE(bar->topLevelItem(0)->isExpanded());
    bar->setPlaylistGroupExpanded(true);
    EXPECT_EQ(bar->nameAtRow(6), QStringLiteral("Alpha"));
}

TEST_F(WindowTest, EachNewSelectionBuildsItsViewAfreshAndTheAddStreamButtonFollows) {
    SideBar *bar = sideBar();
    QPushButton *addRadio = activity->window()->addRadio();
    EXPECT_TRUE(addRadio->isHidden());

    ASSERT_TRUE(bar->selectRow(3));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Stream"));
    EXPECT_FALSE(addRadio->isHidden());
    QWidget *streams = activity->currentContentView();
    EXPECT_EQ(streams->objectName(), QStringLiteral("Stream"));
    EXPECT_EQ(streams->parentWidget(), activity->window()->masterView());

    ASSERT_TRUE(bar->selectRow(7));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Playlist"));
    EXPECT_EQ(CurrentPlaylisyView::currentPlaylist(), QStringLiteral("beta"));
    EXPECT_TRUE(addRadio->isHidden());
    EXPECT_EQ(activity->window()->contentTitle()->text(), QStringLiteral("beta"));

    QPointer<QWidget> first = activity->currentContentView();
    activity->setContentViewToName(QStringLiteral("Queue"));
    QPointer<QWidget> second = activity->currentContentView();
    // The entry on screen asked for again keeps its view; another one replaces it.
    activity->setContentViewToName(QStringLiteral("Queue"));
    EXPECT_EQ(second.data(), activity->currentContentView());
    activity->setContentViewToName(QStringLiteral("Alpha"));
    EXPECT_NE(second.data(), activity->currentContentView());
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Alpha"));
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(activity->window()
                  ->masterView()
                  ->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
                  .size(),
              1);
}

TEST_F(WindowTest, SelectionDuringADatabaseUpdateKeepsTheView) {
    QPointer<QWidget> albums = activity->currentContentView();
    activity->updateDataBase();
    ASSERT_TRUE(activity->dbUpdating());
    EXPECT_EQ(activity->window()->bar()->currentSongTitle()->text(),
              QStringLiteral("Mise à jour de la base MPD..."));
    EXPECT_EQ(activity->window()->bar()->currentArtistAlbum()->text(), QStringLiteral(" "));

    ASSERT_TRUE(sideBar()->selectRow(2));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Queue"));
    EXPECT_EQ(activity->currentContentView(), albums.data());
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));

    ASSERT_TRUE(waitUntil([&] { return !activity->dbUpdating(); }, 20000));
    EXPECT_NE(activity->window()->bar()->currentSongTitle()->text(),
              QStringLiteral("Mise à jour de la base MPD..."));
    // Once it is over, the view is the one the highlight names.
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Queue"));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Queue"));
    ASSERT_TRUE(sideBar()->selectRow(3));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Stream"));
}

TEST_F(WindowTest, UpdateWhileDisconnectedDoesNothing) {
    MPDSocket::sMPDSocket().disconnect();
    activity->updateDataBase();
    EXPECT_FALSE(activity->dbUpdating());
    MPDSocket::sMPDSocket().connect();
}
