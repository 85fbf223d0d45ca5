// The sidebar under the mouse: a right click acts on its row without selecting it, and
// nothing but choosing an entry changes the highlight (folding "Playlist", clicking a
// header or the empty area, Ctrl+click on the selected row).
#include "WindowFixture.h"

#include "ui/base/SetNameDialog.h"
#include "ui/base/SidebarItem.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class SideBarMouse : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        activity->window()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(activity->window()));
    }
    QPoint centreOfRow(int row) {
        return sideBar()->visualItemRect(sideBar()->itemAtRow(row)).center();
    }
    // What the desktop sends for a right click: press, the context menu, release.
    QMenu *rightClick(QPoint pos) {
        QWidget *viewport = sideBar()->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, pos);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
        QApplication::sendEvent(viewport, &menuEvent);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    void leftClick(QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(sideBar()->viewport(), Qt::LeftButton, modifiers, pos);
    }
    // The highlight the user sees: the selected entry's cell, and no other.
    QStringList highlighted() const {
        QStringList names;
        for (const QString &name :
             QStringList{"Library", "Queue", "Stream", "Radio", "Alpha", "beta"})
            if (SidebarItem *cell = sideBar()->cellOf(name); cell && cell->isSelected())
                names << name;
        return names;
    }
};

} // namespace

TEST_F(SideBarMouse, RightClickOnQueueSavesItWithoutSwitchingTheView) {
    QPointer<QWidget> albums = activity->currentContentView();
    QMenu *menu = rightClick(centreOfRow(2));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Library"));
    EXPECT_EQ(highlighted(), QStringList{"Library"});
    EXPECT_EQ(activity->currentContentView(), albums.data());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Enregistrer comme playlist"));
    menu->actions().first()->trigger();
    menu->close();
    ASSERT_NE(activity->setNameDialog(), nullptr);
    EXPECT_EQ(activity->setNameDialog()->windowTitle(),
              QStringLiteral("Enregistrer comme playlist"));
    activity->setNameDialog()->cancel();
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));
    EXPECT_EQ(activity->currentContentView(), albums.data());
}

TEST_F(SideBarMouse, RightClickOnAPlaylistTargetsItAndLeavesTheShownOne) {
    ASSERT_TRUE(sideBar()->selectRow(7)); // beta
    QPointer<QWidget> shown = activity->currentContentView();
    QMenu *menu = rightClick(centreOfRow(6)); // Alpha
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(activity->playlistAddDelete(), QStringLiteral("Alpha"));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("beta"));
    EXPECT_EQ(activity->currentContentView(), shown.data());
    menu->close();
    // A right click on the header neither folds it nor moves the highlight.
    QMenu *none = rightClick(centreOfRow(5));
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(sideBar()->isPlaylistGroupExpanded());
    EXPECT_EQ(highlighted(), QStringList{"beta"});
}

TEST_F(SideBarMouse, FoldingThePlaylistGroupKeepsTheHighlight) {
    leftClick(centreOfRow(5));
    EXPECT_FALSE(sideBar()->isPlaylistGroupExpanded());
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Library"));
    EXPECT_EQ(highlighted(), QStringList{"Library"});
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));
    leftClick(centreOfRow(5));
    EXPECT_TRUE(sideBar()->isPlaylistGroupExpanded());
    EXPECT_EQ(highlighted(), QStringList{"Library"});

    // A shown playlist folds away with its group and is highlighted again when it opens.
    ASSERT_TRUE(sideBar()->selectRow(7));
    leftClick(centreOfRow(5));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("beta"));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Playlist"));
    leftClick(centreOfRow(5));
    EXPECT_EQ(highlighted(), QStringList{"beta"});
}

TEST_F(SideBarMouse, HeadersEmptySpaceAndCtrlClickLeaveTheHighlight) {
    leftClick(centreOfRow(0)); // "Source"
    EXPECT_EQ(highlighted(), QStringList{"Library"});
    const QRect last = sideBar()->visualItemRect(sideBar()->itemAtRow(sideBar()->rowCount() - 1));
    leftClick(QPoint(last.center().x(), last.bottom() + 40));
    EXPECT_EQ(highlighted(), QStringList{"Library"});
    leftClick(centreOfRow(1), Qt::ControlModifier);
    EXPECT_EQ(highlighted(), QStringList{"Library"});
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Library"));
    // A plain click still chooses.
    leftClick(centreOfRow(3));
    EXPECT_EQ(highlighted(), QStringList{"Stream"});
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Stream"));
}
