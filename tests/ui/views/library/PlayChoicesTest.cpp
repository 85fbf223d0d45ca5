// The three ways the library's context menus put songs in the queue — replace it and
// play (the default, what a double click does), append, play next — against a real
// server.
#include "ViewFixture.h"

#include "ui/views/library/AlbumContentView.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/SongSearchPanel.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QMenu>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class PlayChoicesTest : public ViewTest {
  protected:
    // A queue of two songs, the first playing.
    static void playingTwoSongs() {
        queueFilesOf(
            {QStringLiteral("Root Song.flac"), QStringLiteral("Abba/Arrival/01 Tiger.flac")});
        server->command(QStringLiteral("play 0"));
    }
    static QStringList titles(const QMenu &menu) {
        QStringList out;
        for (QAction *action : menu.actions())
            out << (action->isSeparator() ? QStringLiteral("|") : action->text());
        return out;
    }
    static void choose(QMenu &menu, const QString &title) {
        for (QAction *action : menu.actions()) {
            if (action->text() == title) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no entry " << title.toStdString();
    }
    static int rowOf(const AlbumsView &view, const QString &path) {
        const QList<Album> albums = view.cellArray();
        for (int row = 0; row < albums.size(); ++row)
            if (albums[row].path == path) return row;
        return -1;
    }
};

} // namespace

TEST_F(PlayChoicesTest, AlbumMenuPlaysAppendsOrPutsTheAlbumNext) {
    AlbumsView view;
    const int abbey = rowOf(view, QStringLiteral("The Beatles/Abbey Road"));
    ASSERT_GE(abbey, 0);
    playingTwoSongs();
    {
        QMenu menu;
        view.fillContextMenu(&menu, abbey);
        ASSERT_GE(menu.actions().size(), 3);
        EXPECT_EQ(titles(menu).mid(0, 3),
                  (QStringList{"Lire", "Ajouter à la lecture en cours", "Lire ensuite"}));
        ASSERT_TRUE(menu.defaultAction());
        EXPECT_EQ(menu.defaultAction()->text(), QStringLiteral("Lire"));
        choose(menu, QStringLiteral("Lire ensuite"));
    }
    EXPECT_EQ(
        queueFiles(),
        (QStringList{"Root Song.flac", "The Beatles/Abbey Road/01 Come Together.flac",
                     "The Beatles/Abbey Road/02 Something.flac", "Abba/Arrival/01 Tiger.flac"}));
    EXPECT_EQ(statusValue(QStringLiteral("song")), QStringLiteral("0")); // still playing
    {
        QMenu menu;
        view.fillContextMenu(&menu, rowOf(view, QStringLiteral("The Beatles/Let It Be")));
        choose(menu, QStringLiteral("Ajouter à la lecture en cours"));
    }
    EXPECT_EQ(queueFiles().size(), 5);
    EXPECT_EQ(queueFiles().last(), QStringLiteral("The Beatles/Let It Be/01 Two of Us.flac"));
    {
        QMenu menu;
        view.fillContextMenu(&menu, abbey);
        choose(menu, QStringLiteral("Lire"));
    }
    EXPECT_EQ(queueFiles(), (QStringList{"The Beatles/Abbey Road/01 Come Together.flac",
                                         "The Beatles/Abbey Road/02 Something.flac"}));
    EXPECT_EQ(statusValue(QStringLiteral("state")), QStringLiteral("play"));
}

TEST_F(PlayChoicesTest, AlbumWithoutACoverDoesNotOfferToEnlargeIt) {
    AlbumsView view;
    view.resize(1100, 800);
    view.show();
    const int abbey = rowOf(view, QStringLiteral("The Beatles/Abbey Road"));
    const int letItBe = rowOf(view, QStringLiteral("The Beatles/Let It Be"));
    view.collectionView()->scrollTo(view.model()->index(abbey));
    ASSERT_TRUE(waitUntil(
        [&] { return view.model()->index(abbey).data(AlbumListModel::CoverLoadedRole).toBool(); }));
    QMenu withCover;
    view.fillContextMenu(&withCover, abbey);
    EXPECT_TRUE(titles(withCover).contains(QStringLiteral("Afficher la pochette")));
    // Let It Be has no cover anywhere: once its cell has given up, nothing to enlarge.
    view.collectionView()->scrollTo(view.model()->index(letItBe));
    ASSERT_TRUE(waitUntil(
        [&] { return covers->hits(QStringLiteral("/The Beatles/Let It Be/cover.jpg")) >= 1; }));
    spin(200);
    QMenu without;
    view.fillContextMenu(&without, letItBe);
    EXPECT_FALSE(titles(without).contains(QStringLiteral("Afficher la pochette")));
    EXPECT_TRUE(titles(without).contains(QStringLiteral("Afficher les morceaux")));
}

TEST_F(PlayChoicesTest, TitlesMenuPlaysTheAlbumOrAppendsOrPutsTheSongNext) {
    AlbumsView view;
    SongSearchPanel *songs = view.songSearch();
    view.searchField()->setText(QStringLiteral("something"));
    songs->searchNow();
    ASSERT_EQ(songs->model()->rowCount(), 1);
    playingTwoSongs();
    {
        QMenu menu;
        songs->fillContextMenu(&menu, 0);
        EXPECT_EQ(titles(menu).mid(0, 3),
                  (QStringList{"Lire l'album", "Ajouter à la lecture en cours", "Lire ensuite"}));
        ASSERT_TRUE(menu.defaultAction());
        EXPECT_EQ(menu.defaultAction()->text(), QStringLiteral("Lire l'album"));
        choose(menu, QStringLiteral("Lire ensuite"));
    }
    EXPECT_EQ(queueFiles(),
              (QStringList{"Root Song.flac", "The Beatles/Abbey Road/02 Something.flac",
                           "Abba/Arrival/01 Tiger.flac"}));
    {
        QMenu menu;
        songs->fillContextMenu(&menu, 0);
        choose(menu, QStringLiteral("Ajouter à la lecture en cours"));
    }
    EXPECT_EQ(queueFiles().size(), 4);
    EXPECT_EQ(queueFiles().last(), QStringLiteral("The Beatles/Abbey Road/02 Something.flac"));
}

TEST_F(PlayChoicesTest, NothingPlayingPutsTheSongsFirst) {
    queueFilesOf({QStringLiteral("Root Song.flac")});
    AlbumsView view;
    QMenu menu;
    view.fillContextMenu(&menu, rowOf(view, QStringLiteral("The Beatles/Let It Be")));
    choose(menu, QStringLiteral("Lire ensuite"));
    EXPECT_EQ(queueFiles(),
              (QStringList{"The Beatles/Let It Be/01 Two of Us.flac", "Root Song.flac"}));
}
