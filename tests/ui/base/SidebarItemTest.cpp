#include "ui/base/SidebarItem.h"
#include "ui/base/Icons.h"

#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kelvane;

TEST(SidebarItem, BadgeSitsFlushRightAndTheTitleGivesWay) {
    SidebarItem item;
    item.resize(200, 28);
    item.show(); // a hidden widget gets its resize event only when shown
    item.setText(QStringLiteral("Albums"));
    const int fullWidth = item.textField()->width();
    item.setBadge(QStringLiteral("1234"));
    const QRect b = item.button()->geometry();
    EXPECT_EQ(b.right() + 1, 200);
    EXPECT_EQ(item.textField()->geometry().right() + 1, b.x());
    EXPECT_LT(item.textField()->width(), fullWidth);

    item.resize(260, 28);
    EXPECT_EQ(item.button()->geometry().right() + 1, 260);

    // A wider count widens the badge, still flush right.
    item.setBadge(QStringLiteral("123456789"));
    EXPECT_GT(item.button()->width(), b.width());
    EXPECT_EQ(item.button()->geometry().right() + 1, 260);
}

TEST(SidebarItem, HiddenBadgeKeepsTheTitleLayout) {
    SidebarItem item;
    item.resize(200, 28);
    item.show(); // a hidden widget gets its resize event only when shown
    const QRect before = item.textField()->geometry();
    item.viewWillDraw();
    EXPECT_EQ(item.textField()->geometry(), before);
    item.setBadge(QStringLiteral("7"));
    item.setBadge(QString());
    EXPECT_TRUE(item.button()->isHidden());
    EXPECT_EQ(item.textField()->geometry(), before);
}

TEST(Icons, EveryNamedPictureExistsAndDraws) {
    for (const char *name :
         {"play_button", "pause_button", "state_play", "state_pause", "no_cover", "hires", "dsd",
          "mpd_server_error", "sidebar_album", "sidebar_queue", "sidebar_stream", "sidebar_radio",
          "sidebar_playlist", "knob", "track_min", "track_max", "folder"}) {
        const QString n = QString::fromLatin1(name);
        EXPECT_TRUE(Icons::exists(n)) << name;
        EXPECT_FALSE(Icons::image(n, {}, 1.0).isNull()) << name;
        EXPECT_EQ(Icons::pixmap(n, QSize(32, 32), 2.0).deviceIndependentSize(), QSizeF(32, 32))
            << name;
        EXPECT_FALSE(Icons::icon(n).isNull()) << name;
        EXPECT_FALSE(Icons::svg(n).contains('@')) << name; // every palette token replaced
    }
    EXPECT_FALSE(Icons::exists(QStringLiteral("nothing_like_this")));
    EXPECT_TRUE(Icons::icon(QStringLiteral("nothing_like_this")).isNull());
}
