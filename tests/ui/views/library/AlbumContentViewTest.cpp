// The album content popover: header texts and badge, marks of the playing song as the
// status notification reports it, playing from a row and appending to the queue.
#include "ViewFixture.h"

#include "core/library/MPDAlbum.h"
#include "core/notify/NotificationCenter.h"
#include "ui/views/library/AlbumContentModel.h"
#include "ui/views/library/AlbumContentView.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/SongTable.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

Song track(const QString &title, int seconds, int bits = 16,
           const QString &extension = QStringLiteral("flac")) {
    Song s;
    s.setTitle(title);
    s.setArtist(QStringLiteral("Quartet"));
    s.setAlbum(QStringLiteral("Long Night"));
    s.setGenre(QStringLiteral("Jazz"));
    s.setDate(1999);
    s.setDuration(seconds);
    s.setBits(bits);
    s.setExtension(extension);
    s.setFullPath(QStringLiteral("Quartet/Long Night/") + title + QLatin1Char('.') + extension);
    return s;
}

QList<Song> showContent(const QList<Song> &songs) {
    MPDCache::sMPDCache().setAlbumContentArray(songs);
    return songs;
}

void postStatus(const MPDStatus &status) {
    MPDSocket::sMPDSocket().stopTimer(); // the test drives the snapshots
    MPDCache::sMPDCache().setStatus(status);
    NotificationCenter::defaultCenter().post(QStringLiteral("statusChanged"));
}

class AlbumContentTest : public ViewTest {};

} // namespace

TEST(AlbumContentHeader, TimesGenreYearAndArtist) {
    showContent({track("A", 3600), track("B", 3600 + 5 * 60 + 30)});
    AlbumContentView view;
    EXPECT_EQ(view.albumName()->text(), QStringLiteral("Long Night"));
    EXPECT_EQ(view.artistName()->text(), QStringLiteral("Quartet"));
    EXPECT_EQ(view.genreAndYear()->text(), QStringLiteral("Jazz \u2219 1999"));
    EXPECT_EQ(view.durationText()->text(), QStringLiteral("2h 5mn"));
    showContent({track("A", 1800), track("B", 1800)});
    EXPECT_EQ(AlbumContentView().durationText()->text(), QStringLiteral("1h"));
    showContent({track("A", 2700)});
    EXPECT_EQ(AlbumContentView().durationText()->text(), QStringLiteral("45mn"));
    showContent({track("A", 59)});
    EXPECT_EQ(AlbumContentView().durationText()->text(), QStringLiteral("0mn"));
}

TEST(AlbumContentHeader, BadgeForHiresAndDsdOnly) {
    showContent({track("A", 10, 24)});
    EXPECT_EQ(AlbumContentView().badge(), QStringLiteral("hires"));
    showContent({track("A", 10, 16)});
    AlbumContentView plain;
    EXPECT_TRUE(plain.badge().isNull());
    EXPECT_TRUE(plain.logoAudio()->pixmap().isNull());
    showContent({track("A", 10, 1, QStringLiteral("dsf"))});
    AlbumContentView dsd;
    EXPECT_EQ(dsd.badge(), QStringLiteral("dsd"));
    EXPECT_FALSE(dsd.logoAudio()->pixmap().isNull());
    EXPECT_NE(dsd.logoAudio()->graphicsEffect(), nullptr); // its shadow
}

TEST(AlbumContentHeader, NoContentLeavesHeaderAndTableEmpty) {
    MPDCache::sMPDCache().setAlbumContentArray(std::nullopt);
    AlbumContentView view;
    EXPECT_TRUE(view.albumName()->text().isEmpty());
    EXPECT_TRUE(view.durationText()->text().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 0);
    view.doubleClick(0);
    view.addToQueue(0);
}

TEST(AlbumContentMarks, PlayingRowFollowsTheStatusNotification) {
    showContent({track("A", 100), track("B", 200), track("C", 300)});
    AlbumContentView view;
    EXPECT_EQ(view.model()->currentRow(), -1);
    MPDStatus status;
    status.title = QStringLiteral("B");
    status.artist = QStringLiteral("Quartet");
    status.album = QStringLiteral("Long Night");
    status.path = QStringLiteral("Quartet/Long Night/B.flac");
    status.titlePosition = 1;
    status.state = 2;
    postStatus(status);
    EXPECT_EQ(view.model()->currentRow(), 1);
    const QModelIndex number = view.model()->index(1, AlbumContentModel::TrackNumber);
    EXPECT_TRUE(number.data().toString().isEmpty());
    EXPECT_FALSE(number.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(
        view.model()->index(1, AlbumContentModel::Time).data(Qt::ForegroundRole).value<QColor>(),
        librarystyle::playingColour());

    // Same title and artist from another album: orange time, no icon.
    status.album = QStringLiteral("Other");
    postStatus(status);
    EXPECT_EQ(view.model()->currentRow(), -1);
    EXPECT_TRUE(view.model()->marksOf(1).time);

    // Stopped: nothing marked; and a repeated status changes no cell.
    status.album = QStringLiteral("Long Night");
    status.state = 1;
    postStatus(status);
    EXPECT_EQ(view.model()->marksOf(1), playingmarks::AlbumRowMarks{});
    int changes = 0;
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    postStatus(status);
    EXPECT_EQ(changes, 0);
}

TEST_F(AlbumContentTest, DoubleClickInASharedDirectoryPlaysTheClickedSong) {
    Album shared;
    shared.path = QStringLiteral("Shared/Two Albums");
    const auto content = MPDAlbum::sMPDAlbum().getAlbumContent(shared);
    ASSERT_TRUE(content && content->size() == 4);
    ASSERT_EQ(content->at(3).title(), QStringLiteral("Side B"));
    MPDCache::sMPDCache().setAlbumContentArray(content);
    AlbumContentView view;
    // The first song's album is First Light; the clicked one is Vinyl Days.
    view.doubleClick(3);
    EXPECT_EQ(queueFiles(), (QStringList{"Shared/Two Albums/03 Side A.flac",
                                         "Shared/Two Albums/04 Side B.flac"}));
    EXPECT_TRUE(waitUntil([] { return statusValue("song") == "1"; }));
    EXPECT_EQ(statusValue("state"), QStringLiteral("play"));
    // And Enter on the first row plays First Light from its start.
    view.albumTableView()->setCurrentIndex(view.model()->index(1, 0));
    QTest::keyClick(view.albumTableView(), Qt::Key_Enter);
    EXPECT_EQ(queueFiles(),
              (QStringList{"Shared/Two Albums/01 Morning.flac", "Shared/Two Albums/02 Noon.flac"}));
    EXPECT_TRUE(waitUntil([] { return statusValue("song") == "1"; }));
}

TEST_F(AlbumContentTest, UntaggedSongPlaysTheUntaggedSongsOfItsDirectory) {
    Album root;
    root.path = QString();
    const auto content = MPDAlbum::sMPDAlbum().getAlbumContent(root);
    ASSERT_TRUE(content);
    int row = -1;
    for (int i = 0; i < content->size(); ++i) {
        if (content->at(i).fullPath() == QStringLiteral("No Album.flac")) row = i;
    }
    ASSERT_GE(row, 0);
    const auto request = AlbumContentView::playRequestFor(*content, row);
    EXPECT_TRUE(request.albumName.isNull());
    EXPECT_EQ(request.position, 0u);
    MPDCache::sMPDCache().setAlbumContentArray(content);
    AlbumContentView view;
    view.doubleClick(row);
    EXPECT_EQ(queueFiles(), QStringList{"No Album.flac"});
}

TEST_F(AlbumContentTest, AppendTakesTheContextRowOrTheSelection) {
    Album shared;
    shared.path = QStringLiteral("Shared/Two Albums");
    MPDCache::sMPDCache().setAlbumContentArray(MPDAlbum::sMPDAlbum().getAlbumContent(shared));
    AlbumContentView view;
    view.albumTableView()->selectionModel()->select(
        view.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.addToQueue(2);
    EXPECT_EQ(queueFiles(), QStringList{"Shared/Two Albums/03 Side A.flac"});
    view.albumTableView()->selectionModel()->select(
        view.model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.addToQueue(2);
    EXPECT_EQ(queueFiles(),
              (QStringList{"Shared/Two Albums/03 Side A.flac", "Shared/Two Albums/01 Morning.flac",
                           "Shared/Two Albums/04 Side B.flac"}));
    view.albumTableView()->clearSelection();
    view.addToQueue(-1);
    EXPECT_EQ(queueFiles().size(), 3);
}
