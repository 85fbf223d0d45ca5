// Editing the queue from its view against a real server: drag and drop (moves, songs and
// albums from elsewhere, hostile drops), the confirmation before clearing, "Lire ensuite".
#include "ViewFixture.h"

#include "ui/base/ConfirmDialog.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongDrag.h"
#include "ui/views/library/SongTable.h"

#include <QDataStream>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <memory>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QString come = QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac");
const QString something = QStringLiteral("The Beatles/Abbey Road/02 Something.flac");
const QString sea = QStringLiteral("Compilations/Summer Hits/02 Sea.flac");
const QString sun = QStringLiteral("Compilations/Summer Hits/01 Sun.flac");
const QString tiger = QStringLiteral("Abba/Arrival/01 Tiger.flac");

Song songAt(const QString &path) {
    Song song;
    song.setFullPath(path);
    return song;
}

QList<int> selectedRows(QueueView &view) {
    QList<int> rows;
    for (qint32 row : view.table()->selectedRowsAscending())
        rows << row;
    return rows;
}

// A drag as the window system delivers it: enter, move, drop, at one point.
void dragTo(SongTable *table, QPoint at, QMimeData *data) {
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &drop);
}

void flushDeletes() {
    spin(10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class QueueEditingTest : public ViewTest {};

} // namespace

TEST_F(QueueEditingTest, DropsLandBetweenTheRowsUnderThePointer) {
    queueFilesOf({come, something, sea});
    QueueView view;
    view.resize(800, 400);
    view.show();
    SongTable *table = view.table();
    const QRect first = table->visualRect(view.model()->index(0, 0));
    // The lower half of row 0 is "after row 0"; the empty area below the rows is the end.
    const QPoint lowerHalf(first.center().x(), first.bottom() - 2);
    const QPoint belowRows(first.center().x(), table->viewport()->height() - 4);

    std::unique_ptr<QMimeData> songs(songdrag::songsData({songAt(tiger)}));
    dragTo(table, lowerHalf, songs.get());
    EXPECT_EQ(queueFiles(), QStringList({come, tiger, something, sea}));
    EXPECT_EQ(view.model()->rowCount(), 4);

    // An album lands as its own songs only (its directory may hold another album).
    Album album;
    album.albumName = QStringLiteral("Summer Hits");
    album.path = QStringLiteral("Compilations/Summer Hits");
    std::unique_ptr<QMimeData> dropped(songdrag::albumData(album));
    dragTo(table, belowRows, dropped.get());
    EXPECT_EQ(queueFiles(), QStringList({come, tiger, something, sea, sun, sea}));

    // Rows of the queue itself move: rows 0 and 2 before row 5.
    std::unique_ptr<QMimeData> rows(view.model()->mimeData(
        {view.model()->index(0, 0), view.model()->index(2, 1), view.model()->index(0, 3)}));
    view.drop(rows.get(), 5);
    EXPECT_EQ(queueFiles(), QStringList({tiger, sea, sun, come, something, sea}));
    EXPECT_EQ(selectedRows(view), QList<int>({3, 4}));
}

TEST_F(QueueEditingTest, ForgedDropsReachNothing) {
    queueFilesOf({come});
    QueueView view;
    // A path carrying a command after a line feed, an empty path (the whole database to
    // the server), a list claiming a billion entries, a truncated album.
    QMimeData forged;
    QByteArray paths;
    {
        QDataStream out(&paths, QIODevice::WriteOnly);
        out << quint32(2) << QStringLiteral("x.flac\nclear") << QString();
    }
    forged.setData(QStringLiteral("application/x-kelvane-songs"), paths);
    view.drop(&forged, 0);
    QByteArray huge;
    {
        QDataStream out(&huge, QIODevice::WriteOnly);
        out << quint32(1000000000) << qint32(0);
    }
    QMimeData rows;
    rows.setData(QStringLiteral("application/x-kelvane-queue-rows"), huge);
    view.drop(&rows, 1);
    QMimeData album;
    album.setData(QStringLiteral("application/x-kelvane-album"), QByteArray("\x00\x00\x00\x08"
                                                                            "ab",
                                                                            6));
    view.drop(&album, 0);
    EXPECT_EQ(queueFiles(), QStringList({come}));
    EXPECT_FALSE(songdrag::carriesDrop(nullptr));
}

TEST_F(QueueEditingTest, MovingAcrossThePlayingSongKeepsItPlaying) {
    queueFilesOf({come, something, sea, tiger});
    server->command(QStringLiteral("play 1"));
    ASSERT_TRUE(pollUntil([](const MPDStatus &s) { return s.state == 2; }));
    const QString playingId = statusValue(QStringLiteral("songid"));
    QueueView view;
    view.table()->selectionModel()->select(view.model()->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.moveRows({0, 1}, 4);
    EXPECT_EQ(queueFiles(), QStringList({sea, tiger, come, something}));
    EXPECT_EQ(statusValue(QStringLiteral("state")), QStringLiteral("play"));
    EXPECT_EQ(statusValue(QStringLiteral("songid")), playingId);
    EXPECT_EQ(selectedRows(view), QList<int>({2, 3}));

    // "Lire ensuite": right after the playing song (now row 3: the end).
    view.playNext({0});
    EXPECT_EQ(queueFiles(), QStringList({tiger, come, something, sea}));
    EXPECT_EQ(statusValue(QStringLiteral("songid")), playingId);
    EXPECT_EQ(selectedRows(view), QList<int>({3}));
}

TEST_F(QueueEditingTest, ClearingAsksFirstAndKeepsTheQueueOnCancel) {
    queueFilesOf({come, something});
    QueueView view;
    view.askToClear();
    ASSERT_TRUE(view.clearDialog());
    view.clearDialog()->cancelButton()->click();
    flushDeletes();
    EXPECT_EQ(queueFiles().size(), 2);
    EXPECT_FALSE(view.clearDialog());

    view.askToClear();
    ASSERT_TRUE(view.clearDialog());
    view.clearDialog()->deleteButton()->click();
    EXPECT_TRUE(queueFiles().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 0);
    // Nothing to clear: no question.
    flushDeletes();
    view.askToClear();
    EXPECT_FALSE(view.clearDialog());
}

TEST_F(QueueEditingTest, AnotherClientRemovingTheCurrentRowLeavesTheViewWhereItIs) {
    for (int i = 0; i < 20; ++i)
        queueFilesOf({come, something, sea});
    QueueView view;
    view.resize(600, 300);
    view.show();
    ASSERT_EQ(view.model()->rowCount(), 60);
    SongTable *table = view.table();
    table->setCurrentIndex(view.model()->index(0, 0));
    table->scrollTo(view.model()->index(40, 0));
    const int scrolled = table->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    server->command(QStringLiteral("delete 0"));
    view.request();
    EXPECT_EQ(view.model()->rowCount(), 59);
    EXPECT_EQ(table->verticalScrollBar()->value(), scrolled);
}
