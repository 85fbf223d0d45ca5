// The view on screen lives until another entry is chosen: the sidebar's reloads (after a
// playlist dialog, after connecting, after a database update) keep it and where it is
// scrolled to, unless its own entry is gone.
#include "WindowFixture.h"

#include "core/library/CurrentPlaylisyView.h"
#include "ui/base/SetNameDialog.h"
#include "ui/base/SidebarItem.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongTable.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class ViewLifetime : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        // Small enough for the standard library's grid and queue to scroll.
        activity->window()->resize(820, 500);
        activity->window()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(activity->window()));
    }
    void answer(const QString &name) {
        ASSERT_TRUE(activity->setNameDialog());
        activity->setNameDialog()->textField()->setText(name);
        activity->setNameDialog()->okButton()->click();
    }
    QStringList highlighted() const {
        QStringList names;
        for (const QString &name : sideBar()->itemsOf(SideBar::source()) + sideBar()->playlists())
            if (SidebarItem *cell = sideBar()->cellOf(name); cell && cell->isSelected())
                names << name;
        return names;
    }
};

} // namespace

TEST_F(ViewLifetime, AlbumGridStaysWhereItIsScrolledThroughDialogsConnectAndUpdate) {
    auto *albums = qobject_cast<AlbumsView *>(activity->currentContentView());
    ASSERT_NE(albums, nullptr);
    QPointer<QWidget> view(albums);
    QScrollBar *bar = albums->collectionView()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum());
    const int bottom = bar->value();
    ASSERT_GT(bottom, 0);

    activity->newPlaylist();
    answer(QStringLiteral("Gamma"));
    ASSERT_TRUE(sideBar()->playlists().contains(QStringLiteral("Gamma")));
    EXPECT_EQ(activity->currentContentView(), view.data());
    EXPECT_EQ(bar->value(), bottom);

    connecter();
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_EQ(activity->currentContentView(), view.data());
    EXPECT_EQ(bar->value(), bottom);

    activity->updateDataBase();
    ASSERT_TRUE(waitUntil([&] { return !activity->dbUpdating(); }, 20000));
    flushDeletes();
    ASSERT_FALSE(view.isNull());
    EXPECT_EQ(activity->currentContentView(), view.data());
    EXPECT_EQ(bar->value(), bottom);
    EXPECT_EQ(highlighted(), QStringList{"Library"});
}

TEST_F(ViewLifetime, QueueReadsItsRowsAgainInPlaceOnConnect) {
    server->command(QStringLiteral("clear"));
    for (const char *dir : {"The Beatles", "Pink Floyd", "Shared", "Compilations", "Studio Masters",
                            "ABBA", "Abba", "Simon & Garfunkel"})
        server->command(QStringLiteral("add ") + MpdServer::quote(dir));
    ASSERT_TRUE(sideBar()->selectRow(2));
    auto *queue = qobject_cast<QueueView *>(activity->currentContentView());
    ASSERT_NE(queue, nullptr);
    const int rows = queue->model()->rowCount();
    QScrollBar *bar = queue->table()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum());
    const int bottom = bar->value();

    // Another client adds a song; connecting again shows it, where the table was.
    server->command(QStringLiteral("add \"Root Song.flac\""));
    connecter();
    EXPECT_EQ(activity->currentContentView(), queue);
    EXPECT_EQ(queue->model()->rowCount(), rows + 1);
    EXPECT_EQ(bar->value(), bottom);
    server->command(QStringLiteral("clear"));
}

TEST_F(ViewLifetime, AShownPlaylistGoesOnlyWithItsEntry) {
    ASSERT_TRUE(sideBar()->selectRow(7)); // beta
    QPointer<QWidget> beta = activity->currentContentView();

    // Another playlist going (here by another client) leaves it.
    server->command(QStringLiteral("rm Alpha"));
    activity->updateSidebar();
    EXPECT_EQ(sideBar()->playlists(), QStringList{"beta"});
    EXPECT_EQ(activity->currentContentView(), beta.data());
    EXPECT_EQ(highlighted(), QStringList{"beta"});

    // Folded away, it stays shown and selected through a reload.
    sideBar()->setPlaylistGroupExpanded(false);
    activity->updateSidebar();
    EXPECT_FALSE(sideBar()->isPlaylistGroupExpanded());
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("beta"));
    EXPECT_EQ(activity->currentContentView(), beta.data());
    sideBar()->setPlaylistGroupExpanded(true);

    // Renamed, the view follows the new name.
    menuTitles(sideBar()->rowOfName(QStringLiteral("beta")));
    activity->renamePlaylist();
    answer(QStringLiteral("Bêta 2"));
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Bêta 2"));
    EXPECT_EQ(CurrentPlaylisyView::currentPlaylist(), QStringLiteral("Bêta 2"));
    EXPECT_EQ(highlighted(), QStringList{"Bêta 2"});

    // Gone, the albums take its place.
    server->command(QStringLiteral("rm \"Bêta 2\""));
    activity->updateSidebar();
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Library"));
    EXPECT_EQ(highlighted(), QStringList{"Library"});
}

TEST_F(ViewLifetime, ConnectingFillsTheEmptyGridInPlace) {
    auto *albums = qobject_cast<AlbumsView *>(activity->currentContentView());
    ASSERT_NE(albums, nullptr);
    activity->deconnecter();
    MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    albums->reload();
    EXPECT_EQ(albums->model()->rowCount(), 0);
    connecter();
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_EQ(activity->currentContentView(), albums);
    EXPECT_GE(albums->model()->rowCount(), 14);
}
