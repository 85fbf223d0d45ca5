// The album grid against a real server and a local cover server: cell texts, the stored
// album list, playing and queueing albums, the popover, the large cover window, hover
// fades, and covers loaded only for the cells on screen.
#include "ViewFixture.h"

#include "core/library/CoverAddress.h"
#include "core/library/MPDAlbum.h"
#include "covers/CoverRequest.h"
#include "ui/base/SetNameDialog.h"
#include "ui/views/library/AlbumBigCover.h"
#include "ui/views/library/AlbumContentModel.h"
#include "ui/views/library/AlbumContentView.h"
#include "ui/views/library/AlbumItem.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumOverCover.h"
#include "ui/views/library/AlbumPopover.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistMenu.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

int rowOf(const AlbumsView &view, const QString &path, const QString &name) {
    const QList<Album> albums = view.cellArray();
    for (int row = 0; row < albums.size(); ++row) {
        if (albums[row].path == path &&
            (name.isNull() ? albums[row].albumName.isNull() : albums[row].albumName == name))
            return row;
    }
    return -1;
}

QList<Album> syntheticAlbums(int count) {
    QList<Album> albums;
    for (int i = 0; i < count; ++i) {
        Album album;
        album.artist = QStringLiteral("Artist %1").arg(i / 10);
        album.albumName = QStringLiteral("Album %1").arg(i);
        album.path = QStringLiteral("Bulk/%1").arg(i, 4, 10, QLatin1Char('0'));
        albums << album;
    }
    return albums;
}

class AlbumsViewTest : public ViewTest {};

} // namespace

TEST_F(AlbumsViewTest, CellsShowNameAndArtistWithInconnuForAbsentOnes) {
    AlbumsView view;
    ASSERT_GE(view.model()->rowCount(), 14);
    ASSERT_TRUE(MPDCache::sMPDCache().getCurrentAlbumList());
    EXPECT_EQ(MPDCache::sMPDCache().getCurrentAlbumList()->size(), view.model()->rowCount());

    const int noAlbum = rowOf(view, QString(""), QString());
    ASSERT_GE(noAlbum, 0);
    EXPECT_EQ(view.model()->index(noAlbum).data().toString(), QStringLiteral("inconnu"));
    EXPECT_EQ(view.model()->index(noAlbum).data(AlbumListModel::ArtistRole).toString(),
              QStringLiteral("Solo Artist"));
    const int noArtist = rowOf(view, QString(""), QStringLiteral("Nobody's Album"));
    ASSERT_GE(noArtist, 0);
    EXPECT_EQ(view.model()->index(noArtist).data(AlbumListModel::ArtistRole).toString(),
              QStringLiteral("inconnu"));
    const int abbey =
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road"));
    ASSERT_GE(abbey, 0);
    EXPECT_EQ(AlbumItem::cellTexts(view.model()->index(abbey)),
              qMakePair(QStringLiteral("Abbey Road"), QStringLiteral("The Beatles")));
    EXPECT_EQ(AlbumItem::cellTexts(QModelIndex()),
              qMakePair(QStringLiteral("No Value"), QStringLiteral("No Value")));
}

TEST_F(AlbumsViewTest, StoredListIsUsedAndDatabaseUpdateRefills) {
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(2));
    AlbumsView view;
    EXPECT_EQ(view.model()->rowCount(), 2);
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(5));
    MPDCache::sMPDCache().dbUpdated();
    EXPECT_EQ(view.model()->rowCount(), 5);
}

TEST_F(AlbumsViewTest, ARefillKeepsTheGridWhereItIsScrolled) {
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(300));
    AlbumsView view;
    view.resize(900, 600);
    view.show();
    QScrollBar *bar = view.collectionView()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum() / 2);
    const int middle = bar->value();
    ASSERT_GT(middle, 0);
    // An update that adds an album, then a reload of the same list.
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(301));
    MPDCache::sMPDCache().dbUpdated();
    EXPECT_EQ(view.model()->rowCount(), 301);
    spin(50); // the grid lays its cells out again
    EXPECT_EQ(bar->value(), middle);
    view.reload();
    spin(50);
    EXPECT_EQ(bar->value(), middle);
}

TEST_F(AlbumsViewTest, WithoutConnectionTheGridIsEmptyAndNothingIsStored) {
    MPDSocket::sMPDSocket().disconnect();
    AlbumsView view;
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_FALSE(MPDCache::sMPDCache().getCurrentAlbumList().has_value());
    EXPECT_FALSE(view.collectionView()->isVisibleTo(&view));
}

TEST_F(AlbumsViewTest, PlayingAnAlbumWithoutAlbumTagQueuesItsUntaggedSong) {
    AlbumsView view;
    const int noAlbum = rowOf(view, QString(""), QString());
    ASSERT_GE(noAlbum, 0);
    view.item()->clickPlay(noAlbum);
    EXPECT_EQ(queueFiles(), QStringList{"No Album.flac"});
    EXPECT_EQ(statusValue("state"), QStringLiteral("play"));

    view.item()->clickPlay(
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road")));
    EXPECT_EQ(queueFiles(), (QStringList{"The Beatles/Abbey Road/01 Come Together.flac",
                                         "The Beatles/Abbey Road/02 Something.flac"}));
    EXPECT_EQ(statusValue("song"), QStringLiteral("0"));
}

TEST_F(AlbumsViewTest, AppendingAnAlbumTakesOnlyItsSongsOfASharedDirectory) {
    AlbumsView view;
    const int vinyl =
        rowOf(view, QStringLiteral("Shared/Two Albums"), QStringLiteral("Vinyl Days"));
    ASSERT_GE(vinyl, 0);
    view.item()->addToQueue(vinyl);
    EXPECT_EQ(queueFiles(), (QStringList{"Shared/Two Albums/03 Side A.flac",
                                         "Shared/Two Albums/04 Side B.flac"}));
}

TEST_F(AlbumsViewTest, OpeningAnAlbumShowsItsSongsInAPopoverSizedForThem) {
    AlbumsView view;
    view.resize(900, 600);
    view.show();
    const int abbey =
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road"));
    view.item()->clickAlbum(abbey, QRect(100, 100, 160, 160));
    EXPECT_EQ(AlbumItem::lastSongCount(), 2);
    ASSERT_TRUE(MPDCache::sMPDCache().getAlbumContentArray());
    EXPECT_EQ(MPDCache::sMPDCache().getAlbumContentArray()->size(), 2);
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
    AlbumPopover *popover = AlbumPopover::current();
    EXPECT_EQ(popover->size(), QSize(580, 19 * 2 + 118));
    EXPECT_TRUE(popover->windowFlags() & Qt::Popup);
    EXPECT_EQ(popover->contentView()->albumName()->text(), QStringLiteral("Abbey Road"));
    popover->close();
    EXPECT_TRUE(waitUntil([] { return AlbumPopover::current() == nullptr; }));

    MPDCache::sMPDCache().setAlbumContentArray(QList<Song>(3));
    EXPECT_EQ(AlbumPopover::display(nullptr, QRect(100, 100, 160, 160), 3)->size(),
              QSize(580, 175));
    EXPECT_EQ(AlbumPopover::display(nullptr, QRect(100, 100, 160, 160), 25)->size(),
              QSize(580, 470));
    AlbumPopover::current()->close();
}

TEST_F(AlbumsViewTest, PopoverMakesWayForADialogAndLeavesItsOwnAlive) {
    QWidget window;
    window.resize(900, 600);
    window.show();
    Album abbey;
    abbey.path = QStringLiteral("The Beatles/Abbey Road");
    MPDCache::sMPDCache().setAlbumContentArray(MPDAlbum::sMPDAlbum().getAlbumContent(abbey));
    QPointer<AlbumPopover> popover = AlbumPopover::display(&window, QRect(100, 100, 160, 160), 2);
    ASSERT_TRUE(popover && popover->isVisible());

    // A name asked from the popover's own menu: the dialog stays, the popover goes (it
    // would stay above the dialog).
    {
        // The menu as the view makes it (its child), gone before the popover goes.
        QMenu menu(popover->contentView());
        popover->contentView()->fillContextMenu(&menu, 0);
        QMenu *playlists = menu.findChild<QMenu *>(QStringLiteral("addToPlaylistMenu"));
        ASSERT_TRUE(playlists);
        playlists->actions().last()->trigger(); // "Nouvelle playlist…"
    }
    QPointer<SetNameDialog> dialog = playlistmenu::openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(waitUntil([&] { return popover.isNull(); }));
    spin(20);
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->parentWidget(), &window);
    dialog->close();

    // An alert over the window.
    popover = AlbumPopover::display(&window, QRect(100, 100, 160, 160), 2);
    ASSERT_TRUE(popover && popover->isVisible());
    auto *alert =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Erreur"),
                        QStringLiteral("Le serveur ne répond plus"), QMessageBox::Ok, &window);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->open();
    EXPECT_TRUE(waitUntil([&] { return popover.isNull(); }));
    alert->close();
}

TEST(AlbumPopoverPlacement, RightOfTheCoverUnlessTheScreenEnds) {
    const QRect screen(0, 0, 1280, 800);
    const QRect right = AlbumPopover::placement(QRect(100, 300, 160, 160), {580, 175}, screen);
    EXPECT_GT(right.left(), 260);
    EXPECT_EQ(right.center().y(), QRect(100, 300, 160, 160).center().y());
    const QRect left = AlbumPopover::placement(QRect(1000, 700, 160, 160), {580, 470}, screen);
    EXPECT_LT(left.right(), 1000);
    EXPECT_TRUE(screen.contains(left));
}

TEST_F(AlbumsViewTest, CoversLoadFromTheCoverServerAndMissingOnesKeepThePlaceholder) {
    AlbumsView view;
    view.resize(1200, 900);
    view.show();
    const int abbey =
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road"));
    const int letItBe =
        rowOf(view, QStringLiteral("The Beatles/Let It Be"), QStringLiteral("Let It Be"));
    // Abbey Road may lie below the fold of a small screen: bring it into view.
    view.collectionView()->scrollTo(view.model()->index(abbey));
    ASSERT_TRUE(waitUntil(
        [&] { return view.model()->index(abbey).data(AlbumListModel::CoverLoadedRole).toBool(); }));
    EXPECT_GE(covers->hits(QStringLiteral("/The Beatles/Abbey Road/cover.jpg")), 1);
    view.collectionView()->scrollTo(view.model()->index(letItBe));
    ASSERT_TRUE(waitUntil(
        [&] { return covers->hits(QStringLiteral("/The Beatles/Let It Be/cover.jpg")) >= 1; }));
    spin(200);
    EXPECT_FALSE(view.model()->index(letItBe).data(AlbumListModel::CoverLoadedRole).toBool());
    EXPECT_FALSE(view.model()->index(letItBe).data(Qt::DecorationRole).value<QPixmap>().isNull());
}

TEST_F(AlbumsViewTest, LargeCoverComesFromTheGridsServer) {
    AlbumsView view;
    const int abbey =
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road"));
    view.item()->clickMaximize(abbey);
    AlbumBigCover *window = AlbumBigCover::current();
    ASSERT_NE(window, nullptr);
    // The grid's own cover: the chain asks the grid's web server first.
    ASSERT_TRUE(CoverRequest::parse(window->url()));
    EXPECT_EQ(CoverRequest::parse(window->url())->albumPath,
              QStringLiteral("The Beatles/Abbey Road"));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_TRUE(waitUntil([&] { return window->hasPicture(); }));
    EXPECT_GE(covers->hits(QStringLiteral("/The Beatles/Abbey Road/cover.jpg")), 1);
    // Another one replaces it; a missing picture leaves the window empty.
    QPointer<AlbumBigCover> first(window);
    view.item()->clickMaximize(
        rowOf(view, QStringLiteral("The Beatles/Let It Be"), QStringLiteral("Let It Be")));
    bool ended = false, got = true;
    QObject::connect(AlbumBigCover::current(), &AlbumBigCover::finished, [&](bool picture) {
        ended = true;
        got = picture;
    });
    EXPECT_TRUE(waitUntil([&] { return first.isNull(); }));
    ASSERT_TRUE(waitUntil([&] { return ended; }));
    EXPECT_FALSE(got);
    EXPECT_FALSE(AlbumBigCover::current()->hasPicture());
    // Not an empty window: the placeholder, and a sentence that says why.
    EXPECT_TRUE(AlbumBigCover::current()->hasPlaceholder());
    EXPECT_FALSE(AlbumBigCover::current()->cover()->pixmap().isNull());
    EXPECT_FALSE(AlbumBigCover::current()->note()->isHidden());
    EXPECT_EQ(AlbumBigCover::current()->note()->text(),
              QStringLiteral("Cet album n'a pas de pochette."));
    AlbumBigCover::current()->close();
}

TEST(AlbumOverCoverFades, PlayButtonFirstThenCoverButtonAndBothGoAtOnce) {
    AlbumOverCover hover;
    hover.setHoveredRow(4);
    EXPECT_EQ(hover.playerButtonOpacity(4), 0.0);
    EXPECT_EQ(hover.showCoverOpacity(4), 0.0);
    EXPECT_EQ(hover.playerButtonOpacity(5), 0.0);
    ASSERT_TRUE(waitUntil([&] { return hover.playerButtonOpacity(4) > 0.0; }, 2000));
    EXPECT_TRUE(waitUntil(
        [&] { return hover.playerButtonOpacity(4) == 1.0 && hover.showCoverOpacity(4) == 1.0; },
        3000));
    hover.setHoveredRow(-1);
    EXPECT_EQ(hover.hoveredRow(), -1);
    EXPECT_EQ(hover.playerButtonOpacity(4), 0.0);
    EXPECT_EQ(hover.showCoverOpacity(4), 0.0);
}

TEST_F(AlbumsViewTest, OnlyCellsOnScreenLoadAndScrolledAwayLoadsAreDropped) {
    // Slow answers keep loads in flight long enough to see them dropped.
    covers->setDefault(
        {200, TestLibrary::coverJpeg(QStringLiteral("x")), {{"Content-Type", "image/jpeg"}}, 3000});
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(2000));
    AlbumsView view;
    view.resize(1000, 700);
    view.show();
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(covers->port());
    view.model()->setCoverAddress(
        [base](const QString &path) { return QUrl(base + path + QStringLiteral("/cover.jpg")); });
    ASSERT_TRUE(waitUntil([&] { return view.model()->loadingCount() > 0; }));
    const auto [first, last] = view.visibleRows();
    const qsizetype onScreen = last - first + 1;
    EXPECT_LE(view.model()->loadingCount(), onScreen);
    EXPECT_LT(onScreen, 100);

    view.collectionView()->verticalScrollBar()->setValue(
        view.collectionView()->verticalScrollBar()->maximum());
    spin(150); // a paint, then the drop of what left the screen
    const auto [newFirst, newLast] = view.visibleRows();
    EXPECT_GT(newFirst, last);
    EXPECT_LE(view.model()->pictureCount(), 3 * (newLast - newFirst + 1));
    EXPECT_LE(view.model()->loadingCount(), 3 * (newLast - newFirst + 1));
    covers->setDefault({404, "not found"});
}

TEST_F(AlbumsViewTest, HoverButtonsPlayAndEnlargeAndTheCoverOpensTheSongs) {
    AlbumsView view;
    view.resize(1100, 800);
    view.show();
    const int abbey =
        rowOf(view, QStringLiteral("The Beatles/Abbey Road"), QStringLiteral("Abbey Road"));
    QListView *grid = view.collectionView();
    grid->scrollTo(view.model()->index(abbey));
    const AlbumItem::Geometry g =
        view.item()->geometry(grid->visualRect(view.model()->index(abbey)));
    QWidget *viewport = grid->viewport();

    // Over the text, no buttons; over the cover, this cell's buttons.
    QTest::mouseMove(viewport, g.name.center());
    spin(50);
    EXPECT_EQ(view.overCover()->hoveredRow(), -1);
    QTest::mouseMove(viewport, g.cover.center());
    ASSERT_TRUE(waitUntil([&] { return view.overCover()->hoveredRow() == abbey; }));

    QTest::mouseClick(viewport, Qt::LeftButton, {}, g.playerButton.center());
    EXPECT_EQ(queueFiles(), (QStringList{"The Beatles/Abbey Road/01 Come Together.flac",
                                         "The Beatles/Abbey Road/02 Something.flac"}));

    // The cover button shows over a cover, once there is one.
    ASSERT_TRUE(waitUntil(
        [&] { return view.model()->index(abbey).data(AlbumListModel::CoverLoadedRole).toBool(); }));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, g.showCover.center());
    ASSERT_NE(AlbumBigCover::current(), nullptr);
    EXPECT_EQ(CoverRequest::parse(AlbumBigCover::current()->url())->albumPath,
              QStringLiteral("The Beatles/Abbey Road"));
    AlbumBigCover::current()->close();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, g.cover.topLeft() + QPoint(20, 20));
    EXPECT_EQ(AlbumPopover::current(), nullptr); // 0.2 s later
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
    EXPECT_EQ(AlbumPopover::current()->contentView()->model()->rowCount(), 2);
    AlbumPopover::current()->close();
}

TEST_F(AlbumsViewTest, ACoverAnsweredForAReplacedListNeverShowsInTheNewOne) {
    AlbumListModel model;
    Album withCover, without;
    withCover.albumName = QStringLiteral("Abbey Road");
    withCover.path = QStringLiteral("The Beatles/Abbey Road");
    without.albumName = QStringLiteral("Let It Be");
    without.path = QStringLiteral("The Beatles/Let It Be");
    model.setAlbums({withCover});
    model.index(0).data(Qt::DecorationRole);
    ASSERT_TRUE(
        waitUntil([&] { return model.index(0).data(AlbumListModel::CoverLoadedRole).toBool(); }));

    // Asked again from memory: the answer is on its way (queued) when the list changes.
    model.setAlbums({withCover});
    model.index(0).data(Qt::DecorationRole);
    model.setAlbums({without});
    model.index(0).data(Qt::DecorationRole);
    spin(300);
    EXPECT_FALSE(model.index(0).data(AlbumListModel::CoverLoadedRole).toBool());
}

TEST_F(AlbumsViewTest, FastScrollAsksForCoversOnlyOnceItSettles) {
    MPDCache::sMPDCache().setCurrentAlbumList(syntheticAlbums(600));
    AlbumsView view;
    view.resize(1000, 700);
    view.show();
    QScrollBar *bar = view.collectionView()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return view.model()->pictureCount() > 0; }));
    const int before = int(covers->requests().size());

    // Two steps in quick succession: a fling. Nothing is asked for while it goes on.
    bar->setValue(bar->maximum() / 3);
    bar->setValue(bar->maximum() / 2);
    EXPECT_TRUE(view.model()->loadsDeferred());
    const qsizetype held = view.model()->pictureCount();
    view.collectionView()->viewport()->repaint();
    EXPECT_EQ(view.model()->pictureCount(), held);
    // Once it settles, the cells on screen ask for their covers.
    ASSERT_TRUE(waitUntil([&] { return !view.model()->loadsDeferred(); }, 1000));
    EXPECT_TRUE(waitUntil([&] { return int(covers->requests().size()) > before; }));
    // A single step loads at once.
    spin(150);
    bar->setValue(bar->value() + 40);
    EXPECT_FALSE(view.model()->loadsDeferred());
}

TEST_F(AlbumsViewTest, APopoverOpenedFromACutCoverSitsBesideItOnceTheGridHasScrolled) {
    AlbumsView view;
    view.resize(700, 330);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QListView *grid = view.collectionView();
    QScrollBar *bar = grid->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
    // A cell whose cover the bottom edge cuts: a click scrolls it into view.
    const int height = grid->viewport()->height();
    int row = -1;
    for (int r = 0; r < view.model()->rowCount() && row < 0; ++r) {
        const QRect cover = view.item()->geometry(grid->visualRect(view.model()->index(r))).cover;
        if (cover.top() < height - 40 && cover.bottom() > height) row = r;
    }
    ASSERT_GE(row, 0);
    const QRect cover = view.item()->geometry(grid->visualRect(view.model()->index(row))).cover;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cover.topLeft() + QPoint(20, 20));
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
    // Past the grid's own delayed scroll to the clicked cell.
    spin(QApplication::doubleClickInterval() + 250);
    ASSERT_NE(AlbumPopover::current(), nullptr);
    const QRect now = view.item()->geometry(grid->visualRect(view.model()->index(row))).cover;
    EXPECT_LE(now.bottom(), height);
    const QRect anchor(grid->viewport()->mapToGlobal(now.topLeft()), now.size());
    AlbumPopover *popover = AlbumPopover::current();
    EXPECT_EQ(popover->geometry(),
              AlbumPopover::placement(anchor, popover->size(), view.screen()->availableGeometry()));
    popover->close();
}

TEST_F(AlbumsViewTest, EachAlbumOfASharedDirectoryOpensOnItsOwnSongs) {
    AlbumsView view;
    view.resize(900, 600);
    view.show();
    struct Case {
        QString path, name, header, artist;
        QStringList titles;
    };
    const QList<Case> cases{
        {"Shared/Two Albums", "Vinyl Days", "Vinyl Days", "Band Two", {"Side A", "Side B"}},
        {"Shared/Two Albums", "First Light", "First Light", "Band One", {"Morning", "Noon"}},
        {"", "Singles", "Singles", "Solo Artist", {"Root Song", ""}},
        // The album without a tag: the directory's untagged song alone.
        {"", QString(), "", "Solo Artist", {"No Album"}},
    };
    for (const Case &c : cases) {
        const int row = rowOf(view, c.path, c.name);
        ASSERT_GE(row, 0) << c.name.toStdString();
        view.item()->clickAlbum(row, QRect(100, 100, 160, 160));
        EXPECT_EQ(AlbumItem::lastSongCount(), c.titles.size());
        ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
        AlbumContentView *content = AlbumPopover::current()->contentView();
        EXPECT_EQ(content->albumName()->text(), c.header);
        EXPECT_EQ(content->artistName()->text(), c.artist);
        QStringList titles;
        for (int r = 0; r < content->model()->rowCount(); ++r)
            titles << content->model()->index(r, AlbumContentModel::Title).data().toString();
        EXPECT_EQ(titles, c.titles) << c.name.toStdString();
        AlbumPopover::current()->close();
        ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() == nullptr; }));
    }

    // Its rows play and append what they show, as the grid's own play and append do.
    view.item()->clickAlbum(
        rowOf(view, QStringLiteral("Shared/Two Albums"), QStringLiteral("Vinyl Days")),
        QRect(100, 100, 160, 160));
    ASSERT_TRUE(waitUntil([] { return AlbumPopover::current() != nullptr; }, 2000));
    AlbumContentView *content = AlbumPopover::current()->contentView();
    content->doubleClick(1);
    EXPECT_EQ(queueFiles(), (QStringList{"Shared/Two Albums/03 Side A.flac",
                                         "Shared/Two Albums/04 Side B.flac"}));
    EXPECT_EQ(statusValue("song"), QStringLiteral("1"));
    server->command(QStringLiteral("clear"));
    content->addToQueue(0);
    EXPECT_EQ(queueFiles(), QStringList{"Shared/Two Albums/03 Side A.flac"});
    AlbumPopover::current()->close();
}
