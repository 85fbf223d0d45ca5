// The queue view against a real server: rows, marks of the playing song, stream names,
// playing and deleting rows from the mouse, the menu's rules and the keyboard.
#include "ViewFixture.h"

#include "core/streams/MPDStream.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongTable.h"

#include <QItemSelectionModel>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QStringList three = {
    QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"),
    QStringLiteral("The Beatles/Abbey Road/02 Something.flac"),
    QStringLiteral("Compilations/Summer Hits/02 Sea.flac"),
};

QString cell(const QueueView &view, int row, int column, int role = Qt::DisplayRole) {
    return view.model()->index(row, column).data(role).toString();
}

void select(QueueView &view, const QList<int> &rows) {
    view.table()->clearSelection();
    for (int row : rows)
        view.table()->selectionModel()->select(
            view.model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

class QueueViewTest : public ViewTest {};

} // namespace

TEST_F(QueueViewTest, ColumnsInTheirPlacesWithTheQueueSongs) {
    queueFilesOf(three);
    QueueView view;
    ASSERT_EQ(view.model()->rowCount(), 3);
    const QStringList ids = {"trackNumber", "artist", "album", "title", "time", "year"};
    for (int column = 0; column < ids.size(); ++column)
        EXPECT_EQ(QueueModel::columnIdentifier(column), ids[column]);
    EXPECT_EQ(cell(view, 0, QueueModel::TrackNumber), QStringLiteral("1"));
    EXPECT_EQ(cell(view, 0, QueueModel::Title), QStringLiteral("Come Together"));
    EXPECT_EQ(cell(view, 0, QueueModel::Time), QStringLiteral(" 4:19"));
    EXPECT_EQ(cell(view, 0, QueueModel::Year), QStringLiteral("1969"));
    // The row artist is the album artist when the song has one.
    EXPECT_EQ(cell(view, 2, QueueModel::Artist), QStringLiteral("Various Artists"));
    EXPECT_EQ(cell(view, 2, QueueModel::TrackNumber), QStringLiteral("4"));
}

TEST_F(QueueViewTest, EmptyQueueShowsNoRowsAndDeletesNothing) {
    QueueView view;
    EXPECT_EQ(view.model()->rowCount(), 0);
    view.supprimer(0);
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST_F(QueueViewTest, PlayingSongIsMarkedWhilePlayingOrPausedOnly) {
    queueFilesOf(three);
    QueueView view;
    view.doubleClick(1);
    ASSERT_TRUE(pollUntil([](const MPDStatus &s) { return s.state == 2 && s.titlePosition == 1; }));
    const QModelIndex number = view.model()->index(1, QueueModel::TrackNumber);
    EXPECT_EQ(number.data().toString(), QString());
    EXPECT_FALSE(number.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(view.model()->index(1, QueueModel::Time).data(Qt::ForegroundRole).value<QColor>(),
              librarystyle::playingColour());
    EXPECT_NE(view.model()->index(0, QueueModel::Time).data(Qt::ForegroundRole).value<QColor>(),
              librarystyle::playingColour());
    EXPECT_EQ(cell(view, 0, QueueModel::TrackNumber), QStringLiteral("1"));

    server->command(QStringLiteral("pause 1"));
    ASSERT_TRUE(pollUntil([](const MPDStatus &s) { return s.state == 3; }));
    EXPECT_EQ(view.model()->state(), 3);
    EXPECT_TRUE(view.model()->isMarked(1));
    EXPECT_EQ(view.model()->index(1, QueueModel::Time).data(Qt::ForegroundRole).value<QColor>(),
              librarystyle::playingColour());

    server->command(QStringLiteral("stop"));
    ASSERT_TRUE(pollUntil([](const MPDStatus &s) { return s.state == 1; }));
    EXPECT_EQ(cell(view, 1, QueueModel::TrackNumber), QStringLiteral("2"));
    EXPECT_NE(view.model()->index(1, QueueModel::Time).data(Qt::ForegroundRole).value<QColor>(),
              librarystyle::playingColour());
}

TEST_F(QueueViewTest, TrackEventRefreshesOnlyTheRowsItNames) {
    queueFilesOf(three);
    QueueView view;
    QList<QModelIndex> refreshed;
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &) { refreshed << from; });
    MPDStatus status;
    status.title = QStringLiteral("Something");
    status.artist = QStringLiteral("The Beatles");
    status.album = QStringLiteral("Abbey Road");
    status.path = three[1];
    status.titlePosition = 1;
    status.state = 2;
    MPDSocket::sMPDSocket().stopTimer(); // the test drives the snapshots
    const qint32 previous = MPDCache::sMPDCache().getPosition();
    MPDCache::sMPDCache().resetStatus();
    MPDCache::sMPDCache().setStatus(status);
    ASSERT_FALSE(refreshed.isEmpty());
    for (const QModelIndex &index : refreshed) {
        EXPECT_TRUE(index.column() == QueueModel::TrackNumber ||
                    index.column() == QueueModel::Time);
        EXPECT_TRUE(index.row() == 1 || index.row() == previous) << index.row();
    }
    EXPECT_TRUE(view.model()->isMarked(1));
}

TEST_F(QueueViewTest, StreamRowsShowTheirSavedName) {
    const QString saved = QStringLiteral("http://127.0.0.1:9/live.mp3");
    const QString unsaved = QStringLiteral("http://127.0.0.1:9/other.mp3");
    MPDStream::sMPDStream().addStream(saved + QStringLiteral("#Radio Locale"));
    MPDStream::sMPDStream().addStream(saved + QStringLiteral("#Second Name"));
    queueFilesOf({saved, unsaved, three[0]});
    QueueView view;
    ASSERT_EQ(view.model()->rowCount(), 3);
    EXPECT_EQ(cell(view, 0, QueueModel::Title), QStringLiteral("Radio Locale"));
    EXPECT_EQ(cell(view, 1, QueueModel::Title), QString());
    EXPECT_EQ(cell(view, 2, QueueModel::Title), QStringLiteral("Come Together"));
    server->command(QStringLiteral("rm \"[Radio Streams]\""));
}

TEST_F(QueueViewTest, DoubleClickAndEnterPlayTheRow) {
    queueFilesOf(three);
    QueueView view;
    view.doubleClick(2);
    ASSERT_TRUE(waitUntil([] { return statusValue("song") == "2"; }));
    view.table()->setCurrentIndex(view.model()->index(0, 0));
    QTest::keyClick(view.table(), Qt::Key_Return);
    EXPECT_TRUE(waitUntil([] { return statusValue("song") == "0"; }));
    view.doubleClick(-1); // nothing under the pointer
    EXPECT_EQ(statusValue("song"), QStringLiteral("0"));
}

TEST_F(QueueViewTest, DeletingTheOnlyEntryStopsFirst) {
    queueFilesOf({three[0]});
    server->command(QStringLiteral("play 0"));
    QueueView view;
    view.supprimer(0);
    EXPECT_EQ(statusValue("state"), QStringLiteral("stop"));
    EXPECT_TRUE(queueFiles().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST_F(QueueViewTest, DeletingAllThreeSelectedStopsAndEmptiesTheQueue) {
    queueFilesOf(three);
    server->command(QStringLiteral("play 1"));
    QueueView view;
    select(view, {0, 1, 2});
    view.supprimer(1);
    EXPECT_EQ(statusValue("state"), QStringLiteral("stop"));
    EXPECT_TRUE(queueFiles().isEmpty());
}

TEST_F(QueueViewTest, MenuOnAnotherRowDeletesThatRowNotTheSelection) {
    queueFilesOf(three);
    server->command(QStringLiteral("play 0"));
    QueueView view;
    select(view, {0});
    view.supprimer(2);
    EXPECT_EQ(queueFiles(), (QStringList{three[0], three[1]}));
    EXPECT_EQ(statusValue("state"), QStringLiteral("play"));
    EXPECT_EQ(view.model()->rowCount(), 2);
}

TEST_F(QueueViewTest, DeleteKeyRemovesTheSelectedRows) {
    queueFilesOf(three);
    QueueView view;
    select(view, {0, 2});
    QTest::keyClick(view.table(), Qt::Key_Delete);
    EXPECT_EQ(queueFiles(), QStringList{three[1]});
    // One selected row: that row goes.
    queueFilesOf({three[2]});
    view.reload();
    view.table()->setCurrentIndex(view.model()->index(1, 0));
    select(view, {1});
    QTest::keyClick(view.table(), Qt::Key_Delete);
    EXPECT_EQ(queueFiles(), QStringList{three[1]});
    // Nothing selected: nothing goes.
    view.table()->clearSelection();
    QTest::keyClick(view.table(), Qt::Key_Delete);
    EXPECT_EQ(queueFiles(), QStringList{three[1]});
}

TEST_F(QueueViewTest, ViewLeavesTheListenerSlotWhenDestroyed) {
    {
        QueueView view;
        EXPECT_EQ(MPDCache::sMPDCache().delegateQueue(), static_cast<MPDQueueDelegate *>(&view));
    }
    EXPECT_EQ(MPDCache::sMPDCache().delegateQueue(), nullptr);
}
