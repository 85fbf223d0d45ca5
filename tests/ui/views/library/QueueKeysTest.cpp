// The queue without a mouse: the Menu key and Shift+F10 open the menu of the current row
// (once per press, also when the window system sends its own menu event for the key),
// Ctrl+Return plays the row next, Home and End go to the first and last song.
#include "ViewFixture.h"

#include "core/mpd/MPDCache.h"
#include "ui/base/Accessibility.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/library/SongTable.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace kelvane;
using namespace kelvane::test;

namespace {

const QString come = QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac");
const QString something = QStringLiteral("The Beatles/Abbey Road/02 Something.flac");
const QString sea = QStringLiteral("Compilations/Summer Hits/02 Sea.flac");
const QString sun = QStringLiteral("Compilations/Summer Hits/01 Sun.flac");

// Counts the context menus that open, keeps the entries of the last one, and closes
// each, choosing `choose` in it when set.
class MenuCatcher {
  public:
    MenuCatcher() {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            // Each menu is closed when seen: one that is open is a new one.
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu) return;
            ++opened;
            titles.clear();
            QAction *chosen = nullptr;
            for (QAction *action : menu->actions()) {
                if (action->isSeparator()) continue;
                titles << action->text();
                if (!choose.isEmpty() && action->text() == choose) chosen = action;
            }
            if (chosen) chosen->trigger();
            menu->close();
        });
        m_timer.start();
    }
    int opened = 0;
    QStringList titles;
    QString choose;

  private:
    QTimer m_timer;
};

class QueueKeysTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        a11y::install();
    }
    void TearDown() override {
        // The next views must not see a song this test left paused.
        server->command(QStringLiteral("stop"));
        MPDCache::sMPDCache().resetStatus();
        MPDCache::sMPDCache().setStatus(std::nullopt);
        ViewTest::TearDown();
    }
    static void focusRow(QueueView &view, int row) {
        SongTable *table = view.table();
        table->setFocus();
        table->setCurrentIndex(row < 0 ? QModelIndex() : view.model()->index(row, 0));
    }
};

} // namespace

TEST_F(QueueKeysTest, MenuKeyAndShiftF10OpenTheCurrentRowsMenuOnce) {
    queueFilesOf({come, something, sea});
    QueueView view;
    view.resize(800, 400);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 3; }));
    SongTable *table = view.table();
    MenuCatcher menus;

    focusRow(view, 1);
    QTest::keyClick(table, Qt::Key_Menu);
    ASSERT_TRUE(waitUntil([&] { return menus.opened == 1; }));
    EXPECT_TRUE(menus.titles.contains(QStringLiteral("Lire ensuite")));
    EXPECT_TRUE(menus.titles.contains(QStringLiteral("Supprimer")));

    // Under X11 Qt follows the key press with a menu event of its own, placed at the text
    // cursor: still one menu for one press.
    QTest::keyPress(table, Qt::Key_Menu);
    QContextMenuEvent fromQt(QContextMenuEvent::Keyboard, QPoint(4, 4),
                             table->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(table, &fromQt);
    QTest::keyRelease(table, Qt::Key_Menu);
    spin(50);
    EXPECT_EQ(menus.opened, 2);

    // Shift+F10 acts on the current row, wherever the pointer is: Supprimer takes row 1.
    menus.choose = QStringLiteral("Supprimer");
    QTest::keyClick(table, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return menus.opened == 3; }));
    EXPECT_TRUE(waitUntil([] { return queueFiles() == QStringList({come, sea}); }));

    // No current row: the menu of the queue itself.
    menus.choose.clear();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 2; }));
    focusRow(view, -1);
    QTest::keyClick(table, Qt::Key_Menu);
    ASSERT_TRUE(waitUntil([&] { return menus.opened == 4; }));
    EXPECT_EQ(menus.titles,
              QStringList({QStringLiteral("Mélanger"), QStringLiteral("Vider la liste")}));
}

TEST_F(QueueKeysTest, ControlReturnPlaysNextAndHomeEndReachTheEnds) {
    queueFilesOf({come, something, sea, sun});
    server->command(QStringLiteral("play 0"));
    server->command(QStringLiteral("pause 1"));
    QueueView view;
    view.resize(800, 400);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 4; }));
    SongTable *table = view.table();
    focusRow(view, 1);
    table->setCurrentIndex(view.model()->index(1, 3));

    // End goes down to the last song, on its first cell (the one read aloud), not along
    // the row.
    QTest::keyClick(table, Qt::Key_End);
    EXPECT_EQ(table->currentIndex(), view.model()->index(3, 0));
    QTest::keyClick(table, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(waitUntil([] { return queueFiles() == QStringList({come, sun, something, sea}); }));
    // Ctrl+Return did not play anything.
    EXPECT_EQ(statusValue(QStringLiteral("state")), QStringLiteral("pause"));
    QTest::keyClick(table, Qt::Key_Home);
    EXPECT_EQ(table->currentIndex(), view.model()->index(0, 0));
    // The row reads aloud as title, artist, time; the paused song as the one playing.
    const QString time =
        view.model()->data(view.model()->index(0, QueueModel::Time), Qt::DisplayRole).toString();
    EXPECT_EQ(view.model()->data(view.model()->index(0, 0), Qt::AccessibleTextRole).toString(),
              QStringLiteral("Come Together, The Beatles, %1, en cours").arg(time.trimmed()));
}
