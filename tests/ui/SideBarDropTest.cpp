// Drags from the other views onto the sidebar's "Lecture en cours": what lands in the
// queue, where it is refused, and the queue opening under a drag that rests there.
#include "WindowFixture.h"

#include "core/library/MPDQueue.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongDrag.h"
#include "ui/views/library/SongTable.h"

#include <QDataStream>
#include <QDrag>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <memory>

namespace kelvane::test {
namespace {

const QString come = QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac");
const QString sun = QStringLiteral("Compilations/Summer Hits/01 Sun.flac");
const QString sea = QStringLiteral("Compilations/Summer Hits/02 Sea.flac");
const QString tiger = QStringLiteral("Abba/Arrival/01 Tiger.flac");

class SideBarDrop : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        server->command(QStringLiteral("clear"));
        server->command(QStringLiteral("add ") + MpdServer::quote(come));
        MainWindow *window = activity->window();
        window->resize(1000, 700);
        window->show();
    }

    static QStringList queueFiles() {
        QStringList files;
        for (const QString &line : server->command(QStringLiteral("playlistinfo")))
            if (line.startsWith(QLatin1String("file: "))) files << line.mid(6);
        return files;
    }
    QPoint centreOf(const QString &entry) const {
        return sideBar()
            ->visualItemRect(sideBar()->itemAtRow(sideBar()->rowOfName(entry)))
            .center();
    }
    // The events a window system sends while a drag comes over a point of the sidebar;
    // whether the last one was accepted (a drop there would be taken).
    bool dragOver(const QString &entry, const QMimeData *data) {
        const QPoint at = centreOf(entry);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(sideBar()->viewport(), &enter);
        if (!enter.isAccepted()) return false;
        return moveOver(entry, data);
    }
    bool moveOver(const QString &entry, const QMimeData *data) {
        QDragMoveEvent move(centreOf(entry), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(sideBar()->viewport(), &move);
        return move.isAccepted();
    }
    // Let go over entry: whether the drop was taken, and as what.
    bool dropOn(const QString &entry, const QMimeData *data, Qt::DropAction *action = nullptr) {
        dragOver(entry, data);
        QDropEvent drop(centreOf(entry), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(sideBar()->viewport(), &drop);
        if (action) *action = drop.dropAction();
        return drop.isAccepted();
    }
    static std::unique_ptr<QMimeData> albumDrag() {
        Album album;
        album.albumName = QStringLiteral("Summer Hits");
        album.path = QStringLiteral("Compilations/Summer Hits");
        return std::unique_ptr<QMimeData>(songdrag::albumData(album));
    }
    static std::unique_ptr<QMimeData> songDrag(const QString &path) {
        Song song;
        song.setFullPath(path);
        return std::unique_ptr<QMimeData>(songdrag::songsData({song}));
    }
};

TEST_F(SideBarDrop, LectureEnCoursTakesSongsAndAlbumsAtTheEndWhileTheAlbumsShow) {
    ASSERT_EQ(activity->currentEntry(), QStringLiteral("Library"));
    const auto album = albumDrag();
    Qt::DropAction action = Qt::IgnoreAction;
    EXPECT_TRUE(dropOn(QStringLiteral("Queue"), album.get(), &action));
    // A copy: the grid keeps its album.
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(queueFiles(), QStringList({come, sun, sea}));

    const auto song = songDrag(tiger);
    EXPECT_TRUE(dropOn(QStringLiteral("Queue"), song.get()));
    EXPECT_EQ(queueFiles(), QStringList({come, sun, sea, tiger}));
    // Let go at once: the view the drag came from is still the one shown.
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Library"));
    EXPECT_FALSE(sideBar()->dragOpenPending());
}

TEST_F(SideBarDrop, EveryOtherEntryAndForeignDataAreRefused) {
    const auto album = albumDrag();
    for (const QString &entry : {QStringLiteral("Library"), QStringLiteral("Stream"),
                                 QStringLiteral("Radio"), QStringLiteral("Alpha")}) {
        EXPECT_FALSE(dragOver(entry, album.get())) << qPrintable(entry);
        EXPECT_FALSE(dropOn(entry, album.get())) << qPrintable(entry);
    }
    // Text or files from another application are not ours to put in the queue.
    QMimeData text;
    text.setText(QStringLiteral("Compilations/Summer Hits/01 Sun.flac"));
    EXPECT_FALSE(dropOn(QStringLiteral("Queue"), &text));
    // Forged songs (a command after a line feed, an empty path: the whole database).
    QMimeData forged;
    QByteArray paths;
    {
        QDataStream out(&paths, QIODevice::WriteOnly);
        out << quint32(2) << QStringLiteral("x.flac\nclear") << QString();
    }
    forged.setData(QStringLiteral("application/x-kelvane-songs"), paths);
    dropOn(QStringLiteral("Queue"), &forged);
    EXPECT_EQ(queueFiles(), QStringList({come}));
}

TEST_F(SideBarDrop, QueueRowsDroppedOnItsEntryGoToTheEnd) {
    server->command(QStringLiteral("add ") + MpdServer::quote(sun));
    server->command(QStringLiteral("add ") + MpdServer::quote(tiger));
    ASSERT_TRUE(sideBar()->selectName(QStringLiteral("Queue")));
    auto *queue = qobject_cast<QueueView *>(activity->currentContentView());
    ASSERT_TRUE(queue);
    ASSERT_TRUE(waitUntil([&] { return queue->model()->rowCount() == 3; }));
    std::unique_ptr<QMimeData> rows(queue->model()->mimeData({queue->model()->index(0, 0)}));
    EXPECT_TRUE(dropOn(QStringLiteral("Queue"), rows.get()));
    // Moved, not copied: the queue keeps its three songs.
    EXPECT_EQ(queueFiles(), QStringList({sun, tiger, come}));
    EXPECT_FALSE(sideBar()->dragOpenPending()); // the queue is on screen already
}

TEST_F(SideBarDrop, ADragRestingOnLectureEnCoursOpensTheQueueAndPassingByDoesNot) {
    const auto song = songDrag(tiger);
    // Across "Lecture en cours" to "Stream", then away: nothing opens.
    EXPECT_TRUE(dragOver(QStringLiteral("Queue"), song.get()));
    EXPECT_TRUE(sideBar()->dragOpenPending());
    EXPECT_FALSE(moveOver(QStringLiteral("Stream"), song.get()));
    EXPECT_FALSE(sideBar()->dragOpenPending());
    EXPECT_TRUE(moveOver(QStringLiteral("Queue"), song.get()));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(sideBar()->viewport(), &leave);
    EXPECT_FALSE(sideBar()->dragOpenPending());
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Library"));

    // Resting there: the queue opens, so the drop can land between its rows.
    EXPECT_TRUE(dragOver(QStringLiteral("Queue"), song.get()));
    EXPECT_EQ(activity->currentEntry(), QStringLiteral("Library"));
    EXPECT_TRUE(waitUntil([&] { return activity->currentEntry() == QStringLiteral("Queue"); }));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Queue"));
    EXPECT_TRUE(qobject_cast<QueueView *>(activity->currentContentView()));
    EXPECT_EQ(queueFiles(), QStringList({come})); // nothing dropped yet
}

TEST_F(SideBarDrop, TheViewADragStartedFromLivesUntilTheDragHasEnded) {
    QPointer<QWidget> albums = activity->currentContentView();
    ASSERT_TRUE(albums);
    auto *grid = albums->findChild<QListView *>();
    ASSERT_TRUE(grid);
    // The drag a grid starts is its child while it runs; Qt goes back into the grid when
    // it ends, so the grid must still be there.
    QPointer<QDrag> drag = new QDrag(grid);
    const auto album = albumDrag();
    ASSERT_TRUE(dragOver(QStringLiteral("Queue"), album.get()));
    ASSERT_TRUE(waitUntil([&] { return activity->currentEntry() == QStringLiteral("Queue"); }));
    flushDeletes();
    ASSERT_TRUE(albums);
    EXPECT_TRUE(albums->isHidden());

    QDropEvent drop(centreOf(QStringLiteral("Queue")), Qt::CopyAction, album.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(sideBar()->viewport(), &drop);
    EXPECT_EQ(queueFiles(), QStringList({come, sun, sea}));
    // The drag ends (Qt deletes it later): the old view goes with it.
    drag->deleteLater();
    EXPECT_TRUE(waitUntil([&] {
        flushDeletes();
        return albums.isNull();
    }));
    EXPECT_TRUE(drag.isNull());
}

} // namespace
} // namespace kelvane::test
