// The search above the album grid against a real server: the albums filtered as one
// types (blind to case and accents), what a filtered cell stands for, Escape,
// the "Titres" list with its cut note, and "Ajouter à la playlist".
#include "ViewFixture.h"

#include "ui/base/SetNameDialog.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/SongDrag.h"
#include "ui/views/library/SongSearchPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <memory>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class AlbumSearchTest : public ViewTest {
  protected:
    static void type(AlbumsView &view, const QString &text) {
        view.searchField()->clear();
        QTest::keyClicks(view.searchField(), text);
    }
    static QStringList playlistFiles(const QString &name) {
        QStringList files;
        for (const QString &line :
             server->command(QStringLiteral("listplaylist ") + MpdServer::quote(name)))
            if (line.startsWith(QLatin1String("file: "))) files << line.mid(6);
        return files;
    }
};

} // namespace

TEST_F(AlbumSearchTest, TypingFiltersBlindToCaseAndAccentsAndCellsStandForTheirAlbum) {
    AlbumsView view;
    const int all = view.model()->rowCount();
    ASSERT_GT(all, 10);

    type(view, QStringLiteral("edith"));
    ASSERT_EQ(view.model()->rowCount(), 1);
    const QModelIndex cell = view.model()->index(0);
    EXPECT_EQ(cell.data(AlbumListModel::PathRole).toString(),
              QStringLiteral("Édith Piaf/Best of #1?"));
    // What the cell drags, plays and shows is the filtered album, not row 0 of the list.
    std::unique_ptr<QMimeData> drag(view.model()->mimeData({cell}));
    ASSERT_TRUE(songdrag::album(drag.get()));
    EXPECT_EQ(songdrag::album(drag.get())->albumName, QStringLiteral("Best of #1?"));
    EXPECT_EQ(view.model()->album(0).artist, QStringLiteral("Édith Piaf"));

    type(view, QStringLiteral("ABBA"));
    EXPECT_EQ(view.model()->rowCount(), 2); // "ABBA" and "Abba"
    type(view, QStringLiteral("rock 1969"));
    EXPECT_EQ(view.model()->rowCount(), 1);

    // A reload (and a list read again) keeps the search.
    MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    view.reload();
    EXPECT_EQ(view.model()->rowCount(), 1);

    type(view, QStringLiteral("zzz"));
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_FALSE(view.emptyLabel()->isHidden());
    EXPECT_EQ(view.emptyLabel()->text(), QStringLiteral("Aucun album ne correspond"));

    QTest::keyClick(view.searchField(), Qt::Key_Escape);
    EXPECT_TRUE(view.searchField()->text().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), all);
    EXPECT_TRUE(view.emptyLabel()->isHidden());
    EXPECT_TRUE(view.songSearch()->isHidden());
}

TEST_F(AlbumSearchTest, TitlesAreCutWithANoteAndPlayTheirAlbum) {
    AlbumsView view;
    SongSearchPanel *songs = view.songSearch();
    songs->setSongLimit(3);
    type(view, QStringLiteral("e"));
    // Typed, not yet searched: the search waits for a pause in the typing.
    EXPECT_TRUE(songs->debounce()->isActive());
    EXPECT_EQ(songs->model()->rowCount(), 0);
    songs->searchNow();
    EXPECT_EQ(songs->model()->rowCount(), 3);
    EXPECT_TRUE(songs->note()->text().startsWith(QStringLiteral("Plus de 3 titres")))
        << qPrintable(songs->note()->text());

    type(view, QStringLiteral("Something"));
    songs->searchNow();
    ASSERT_EQ(songs->model()->rowCount(), 1);
    EXPECT_EQ(songs->note()->text(), QStringLiteral("1 titre"));
    songs->playAlbumOf(0);
    EXPECT_EQ(queueFiles(),
              QStringList({QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"),
                           QStringLiteral("The Beatles/Abbey Road/02 Something.flac")}));
    EXPECT_EQ(statusValue(QStringLiteral("song")), QStringLiteral("1"));
    EXPECT_EQ(statusValue(QStringLiteral("state")), QStringLiteral("play"));

    // A search whose answer comes after the text was cleared shows nothing.
    type(view, QStringLiteral("Tiger"));
    view.searchField()->clear();
    songs->searchNow();
    EXPECT_EQ(songs->model()->rowCount(), 0);
}

TEST_F(AlbumSearchTest, TitlesAreAsBlindToAccentsAndCaseAsTheGrid) {
    AlbumsView view;
    SongSearchPanel *songs = view.songSearch();
    // "edith" finds the album in the grid and its song below it.
    type(view, QStringLiteral("edith"));
    songs->searchNow();
    EXPECT_EQ(view.model()->rowCount(), 1);
    ASSERT_EQ(songs->model()->rowCount(), 1);
    EXPECT_EQ(songs->model()->songs().first().title(), QString::fromUtf8("Hymne à l'amour"));
    EXPECT_EQ(songs->note()->text(), QStringLiteral("1 titre"));
    // So do words typed without their accents, in another case, spread over title and
    // artist.
    for (const char *text : {"EDITH piaf", "hymne a l'amour", "piaf amour"}) {
        type(view, QString::fromUtf8(text));
        songs->searchNow();
        ASSERT_EQ(songs->model()->rowCount(), 1) << text;
        EXPECT_EQ(songs->model()->songs().first().fullPath(),
                  QString::fromUtf8("Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac"));
    }
    type(view, QStringLiteral("piaf tiger"));
    songs->searchNow();
    EXPECT_EQ(songs->model()->rowCount(), 0);
    EXPECT_EQ(songs->note()->text(), QStringLiteral("Aucun titre"));
}

TEST_F(AlbumSearchTest, AddToPlaylistOffersTheStoredOnesAndANewOne) {
    const QString song = QStringLiteral("Abba/Arrival/01 Tiger.flac");
    server->command(QStringLiteral("rm \"Grab Bag\""));
    server->command(QStringLiteral("rm \"Fresh & New\""));
    server->command(QStringLiteral("playlistadd \"Grab Bag\" \"Root Song.flac\""));
    playlistmenu::setNames({QStringLiteral("Grab Bag")});
    Song picked;
    picked.setFullPath(song);
    QWidget owner;
    QMenu menu(&owner);
    QMenu *sub = playlistmenu::add(
        &menu, [picked](const playlistmenu::SongsReady &ready) { ready({picked}); });
    QStringList titles;
    for (QAction *a : sub->actions())
        if (!a->isSeparator()) titles << a->text();
    ASSERT_EQ(titles,
              QStringList({QStringLiteral("Grab Bag"), QStringLiteral("Nouvelle playlist…")}));

    sub->actions().first()->trigger();
    EXPECT_EQ(playlistFiles(QStringLiteral("Grab Bag")),
              QStringList({QStringLiteral("Root Song.flac"), song}));

    sub->actions().last()->trigger();
    SetNameDialog *dialog = playlistmenu::openDialog();
    ASSERT_TRUE(dialog);
    dialog->textField()->setText(QStringLiteral("Fresh & New"));
    dialog->ok();
    EXPECT_EQ(playlistFiles(QStringLiteral("Fresh & New")), QStringList({song}));
    server->command(QStringLiteral("rm \"Grab Bag\""));
    server->command(QStringLiteral("rm \"Fresh & New\""));
}
