// When the window moves the elapsed time on: only when the text or the knob would change.
#include "ui/MainActivity.h"

#include <gtest/gtest.h>

using kelvane::MainActivity;
using kelvane::MPDStatus;

namespace {
MPDStatus playing(quint32 elapsedMs, qint32 totalSeconds) {
    MPDStatus s;
    s.state = 2;
    s.elapsedTime = elapsedMs;
    s.totalTime = totalSeconds;
    return s;
}
} // namespace

TEST(TickPace, NextWholeSecondOrNextKnobPixelWhicheverComesFirst) {
    // A 4-minute song on a 350 px bar: the knob moves every 740 ms, the text every second.
    EXPECT_EQ(MainActivity::shownTickInterval(playing(2300, 259), 350), 710);
    EXPECT_EQ(MainActivity::shownTickInterval(playing(2000, 259), 350), 740);
    // A long piece: the text decides, just past the boundary.
    EXPECT_EQ(MainActivity::shownTickInterval(playing(61999, 3600), 350),
              MainActivity::shortestTickMs);
    EXPECT_EQ(MainActivity::shownTickInterval(playing(61000, 3600), 350), 1010);
    // A stream has no knob; a hidden bar (0 px) neither.
    EXPECT_EQ(MainActivity::shownTickInterval(playing(12500, 0), 350), 510);
    EXPECT_EQ(MainActivity::shownTickInterval(playing(12500, 259), 0), 510);
    // A short song on a wide bar never ticks faster than the old poll.
    EXPECT_EQ(MainActivity::shownTickInterval(playing(100, 20), 900), MainActivity::shortestTickMs);
}
