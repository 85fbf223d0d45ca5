// The views on the bulk connection's worker: the album grid says it is loading, and the
// queue applies another client's edits as row edits that keep the user's place.
#include "ViewFixture.h"

#include "core/mpd/MPDCache.h"
#include "ui/views/library/AlbumItem.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumPopover.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongSearchPanel.h"
#include "ui/views/library/SongTable.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class AsyncLoadTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        MPDBulk::sMPDBulk().setInline(false);
        SongSearchPanel::setSearchesInline(false);
    }
    void TearDown() override {
        MPDBulk::sMPDBulk().waitForDone();
        ViewTest::TearDown();
    }
    static QList<int> selectedRows(QueueView &view) {
        QList<int> rows;
        for (const QModelIndex &index : view.table()->selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

} // namespace

TEST_F(AsyncLoadTest, AlbumGridSaysItIsLoadingThenShowsTheAlbums) {
    AlbumsView view;
    bool sawLoading = false;
    for (QLabel *label : view.findChildren<QLabel *>())
        sawLoading |= label->isVisibleTo(&view) &&
                      label->text().startsWith(QStringLiteral("Chargement des albums…"));
    EXPECT_TRUE(sawLoading);
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() > 0; }));
    for (QLabel *label : view.findChildren<QLabel *>())
        EXPECT_FALSE(label->isVisibleTo(&view) &&
                     label->text().startsWith(QStringLiteral("Chargement")));

    // Two reloads in a row: the grid ends with one copy of the catalogue, not two.
    const int albums = view.model()->rowCount();
    view.reload();
    view.reload();
    MPDBulk::sMPDBulk().waitForDone();
    spin(50);
    EXPECT_EQ(view.model()->rowCount(), albums);
}

TEST_F(AsyncLoadTest, TitlesWaitForTheCatalogueThenShowOnlyTheLatestAnswer) {
    AlbumsView view;
    SongSearchPanel *songs = view.songSearch();
    // Typed before the catalogue (and its songs) is read: the search waits for it.
    view.searchField()->setText(QStringLiteral("edith"));
    songs->searchNow();
    EXPECT_TRUE(songs->isSearching());
    ASSERT_TRUE(waitUntil([&] { return !songs->isSearching(); }));
    ASSERT_EQ(songs->model()->rowCount(), 1);
    EXPECT_EQ(songs->model()->songs().first().artist(), QString::fromUtf8("Édith Piaf"));

    // Typed over before the first answer: the rows are the last text's.
    view.searchField()->setText(QStringLiteral("rock"));
    songs->searchNow();
    view.searchField()->setText(QStringLiteral("tiger"));
    songs->searchNow();
    ASSERT_TRUE(waitUntil([&] { return !songs->isSearching(); }));
    spin(50);
    ASSERT_EQ(songs->model()->rowCount(), 1);
    EXPECT_EQ(songs->model()->songs().first().title(), QStringLiteral("Tiger"));
}

TEST_F(AsyncLoadTest, QueueKeepsSelectionAndScrollThroughAnotherClientsEdits) {
    for (int i = 0; i < 20; ++i)
        queueFilesOf({QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"),
                      QStringLiteral("The Beatles/Abbey Road/02 Something.flac"),
                      QStringLiteral("Compilations/Summer Hits/02 Sea.flac")});
    QueueView view;
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 60; }));
    const QModelIndex chosen = view.model()->index(40, 0);
    view.table()->selectionModel()->select(chosen,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.table()->scrollTo(chosen);
    QScrollBar *bar = view.table()->verticalScrollBar();
    const int scrolled = bar->value();
    ASSERT_GT(scrolled, 0);
    const QString title = chosen.siblingAtColumn(QueueModel::Title).data().toString();

    server->command(QStringLiteral("delete 0")); // above the selection
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 59; }));
    EXPECT_EQ(selectedRows(view), QList<int>{39});
    EXPECT_EQ(view.model()->index(39, QueueModel::Title).data().toString(), title);

    server->command(QStringLiteral("add \"Root Song.flac\"")); // below it
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 60; }));
    EXPECT_EQ(selectedRows(view), QList<int>{39});
    EXPECT_EQ(bar->value(), scrolled);
    EXPECT_EQ(view.model()->index(59, QueueModel::Title).data().toString(),
              QStringLiteral("Root Song"));

    // Moves from elsewhere: the model ends holding what the server holds.
    const auto titles = [&] {
        QStringList shown;
        for (int row = 0; row < view.model()->rowCount(); ++row)
            shown << view.model()->index(row, QueueModel::Title).data().toString();
        return shown;
    };
    const auto serverTitles = [] {
        QStringList expected;
        for (const QString &line : server->command(QStringLiteral("playlistinfo")))
            if (line.startsWith(QLatin1String("Title: "))) expected << line.mid(7);
        return expected;
    };
    server->command(QStringLiteral("move 59 0"));
    server->command(QStringLiteral("move 10:20 40"));
    const QStringList expected = serverTitles();
    EXPECT_TRUE(waitUntil([&] { return titles() == expected; }));
    EXPECT_EQ(titles(), expected);
}

TEST_F(AsyncLoadTest, OpeningAnAlbumOnAFrozenServerLeavesTheWindowFree) {
    AlbumsView view;
    view.resize(900, 600);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() > 0; }));
    const QList<Album> albums = view.cellArray();
    const int abbey = int(
        std::find_if(albums.begin(), albums.end(),
                     [](const Album &a) { return a.albumName == QStringLiteral("Abbey Road"); }) -
        albums.begin());
    ASSERT_LT(abbey, albums.size());
    MPDCache::sMPDCache().setAlbumContentArray(std::nullopt);
    server->freeze();
    // The songs are read on the bulk thread: the click returns with none of them yet,
    // and the event loop keeps turning while the server says nothing.
    view.item()->clickAlbum(abbey, QRect(100, 100, 160, 160));
    EXPECT_FALSE(MPDCache::sMPDCache().getAlbumContentArray().has_value());
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    ticker.start(0);
    EXPECT_TRUE(waitUntil([&] { return turns >= 20; }));
    ticker.stop();
    EXPECT_EQ(AlbumPopover::current(), nullptr);
    server->thaw();
    // Once the server answers, the songs come and the popover opens beside the cover.
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }));
    ASSERT_TRUE(MPDCache::sMPDCache().getAlbumContentArray().has_value());
    EXPECT_EQ(MPDCache::sMPDCache().getAlbumContentArray()->size(), 2);
    AlbumPopover::current()->close();
}
