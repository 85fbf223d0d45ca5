// The stored playlist view: its rows and columns, and playing the whole playlist from a row.
#include "ViewFixture.h"

#include "core/library/CurrentPlaylisyView.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/PlaylistView.h"
#include "ui/views/library/SongTable.h"

#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QStringList five = {
    QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"),
    QStringLiteral("No Album.flac"),
    QStringLiteral("Pink Floyd/The Wall/CD 2/01 Hey You.flac"),
    QStringLiteral("Compilations/Summer Hits/01 Sun.flac"),
    QStringLiteral("ABBA/Gold/01 Dancing Queen.flac"),
};

class PlaylistViewTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        server->command(QStringLiteral("rm mix"));
        for (const QString &file : five)
            server->command(QStringLiteral("playlistadd mix ") + MpdServer::quote(file));
        CurrentPlaylisyView::setCurrentPlaylist(QStringLiteral("mix"));
    }
};

} // namespace

TEST_F(PlaylistViewTest, RowsAndColumnsOfThePlaylist) {
    PlaylistView view;
    EXPECT_EQ(view.playlistName(), QStringLiteral("mix"));
    ASSERT_EQ(view.model()->rowCount(), 5);
    EXPECT_EQ(view.model()->columnCount(), 7);
    const auto text = [&](int row, int column) {
        return view.model()->index(row, column).data().toString();
    };
    EXPECT_EQ(text(0, PlaylistModel::Title), QStringLiteral("Come Together"));
    EXPECT_EQ(text(0, PlaylistModel::Composer), QStringLiteral("John Lennon"));
    EXPECT_EQ(text(0, PlaylistModel::Time), QStringLiteral(" 4:19"));
    EXPECT_EQ(text(1, PlaylistModel::TrackNumber), QStringLiteral("0")); // no Track tag
    EXPECT_EQ(text(1, PlaylistModel::AlbumColumn), QString());
    EXPECT_EQ(text(3, PlaylistModel::Artist), QStringLiteral("Various Artists"));
    EXPECT_EQ(text(3, PlaylistModel::IsPlaying), QString());
}

TEST_F(PlaylistViewTest, DoubleClickLeavesExactlyThePlaylistPlayingTheClickedSong) {
    queueFilesOf({QStringLiteral("Abba/Arrival/01 Tiger.flac")});
    PlaylistView view;
    view.doubleClick(2);
    EXPECT_EQ(queueFiles(), five);
    EXPECT_TRUE(waitUntil([] { return statusValue("song") == "2"; }));
    EXPECT_EQ(statusValue("state"), QStringLiteral("play"));

    view.tableOutletPlaylist()->setCurrentIndex(view.model()->index(4, 0));
    QTest::keyClick(view.tableOutletPlaylist(), Qt::Key_Return);
    EXPECT_EQ(queueFiles(), five);
    EXPECT_TRUE(waitUntil([] { return statusValue("song") == "4"; }));
}

TEST_F(PlaylistViewTest, EmptyOrUnknownPlaylistShowsNoRows) {
    server->command(QStringLiteral("playlistclear mix"));
    EXPECT_EQ(PlaylistView().model()->rowCount(), 0);
    CurrentPlaylisyView::setCurrentPlaylist(QStringLiteral("nothing here"));
    PlaylistView none;
    EXPECT_EQ(none.model()->rowCount(), 0);
    none.doubleClick(0);
    none.doubleClick(-1);
}
