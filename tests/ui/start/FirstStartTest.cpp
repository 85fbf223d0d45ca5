// The window's first start against a server that takes the connection and never greets:
// the window builds and paints while the attempt waits, off its thread.
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "support/HungServer.h"
#include "support/Wait.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/NowPlayingBar.h"

#include <QEvent>
#include <QLabel>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TEST(FirstStart, AServerThatNeverGreetsDoesNotHoldTheWindow) {
    HungServer hung;
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), hung.port());
    MainActivity activity;
    PaintCounter counter;
    activity.window()->bar()->installEventFilter(&counter);
    activity.window()->show();
    // As the application starts: the first connection attempt is made in here.
    activity.applicationDidFinishLaunching();
    // It has not ended (only the time-out can end it): nothing above waited for it.
    EXPECT_EQ(MPDSocket::sMPDSocket().link(), MPDSocket::Link::Connecting);
    EXPECT_EQ(activity.window()->bar()->findChild<QLabel *>(QStringLiteral("linkState"))->text(),
              QStringLiteral("Connexion…"));
    EXPECT_TRUE(waitUntil([&] { return counter.paints > 0; }, 10000));
    // The attempt ends with the time-out, one alert, and the retries.
    EXPECT_TRUE(waitUntil(
        [] { return MPDSocket::sMPDSocket().link() == MPDSocket::Link::Retrying; }, 10000));
    EXPECT_GE(hung.connections(), 1);
    MPDSocket::sMPDSocket().disconnect();
}
