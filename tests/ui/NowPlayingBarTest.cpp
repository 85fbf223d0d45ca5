#include "WindowFixture.h"

#include "core/notify/NotificationCenter.h"
#include "core/streams/MPDStream.h"
#include "ui/ErrorAlert.h"
#include "ui/NowPlayingBar.h"
#include "ui/base/ElidedLabel.h"
#include "ui/base/ProgressSlider.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {
MPDStatus song(qint32 state, qint32 total, const QString &title, const QString &path) {
    MPDStatus s;
    s.state = state;
    s.totalTime = total;
    s.title = title;
    s.path = path;
    s.artist = QStringLiteral("The Beatles");
    s.album = QStringLiteral("Abbey Road");
    return s;
}

QStringList logged;
void collect(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtInfoMsg) logged << message;
}
} // namespace

TEST_F(WindowTest, TrackAndStateEventsFillTheBarAndPostStatusChanged) {
    NowPlayingBar *bar = activity->window()->bar();
    QObject owner;
    int posts = 0;
    NotificationCenter::defaultCenter().observe(QStringLiteral("statusChanged"), &owner,
                                                [&](const NotificationInfo &) { ++posts; });
    activity->onTrackChange(
        song(2, 3725, QStringLiteral("Come Together"), QStringLiteral("a/b.flac")));
    activity->onStateChange(2);
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(bar->currentSongTitle()->text(), QStringLiteral("Come Together"));
    EXPECT_EQ(bar->currentArtistAlbum()->text(), QStringLiteral("The Beatles - Abbey Road"));
    EXPECT_EQ(bar->songLenght()->text(), QStringLiteral("62:05"));
    EXPECT_EQ(bar->playImageName(), QStringLiteral("pause_button"));
    EXPECT_DOUBLE_EQ(bar->progressTrack()->maximumValue(), 3725);
    EXPECT_DOUBLE_EQ(bar->seekToBar()->maximumValue(), 3725);

    MPDStatus progress;
    progress.elapsedTime = 61000;
    activity->onProgressChange(progress);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 1:01"));
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 61.0);
    // Zero elapsed keeps the last text.
    progress.elapsedTime = 0;
    activity->onProgressChange(progress);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 1:01"));

    activity->onTrackChange(
        song(1, 3725, QStringLiteral("Come Together"), QStringLiteral("a/b.flac")));
    EXPECT_EQ(bar->currentSongTitle()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(bar->playImageName(), QStringLiteral("play_button"));
    activity->onTrackChange(song(3, 10, QString(), QStringLiteral("a/b.flac")));
    EXPECT_EQ(bar->currentSongTitle()->text(), QStringLiteral("Non renseigné"));
    EXPECT_EQ(posts, 4);
}

TEST_F(WindowTest, StoppedBarShowsNoOldElapsedTime) {
    NowPlayingBar *bar = activity->window()->bar();
    activity->onTrackChange(
        song(2, 3725, QStringLiteral("Come Together"), QStringLiteral("a/b.flac")));
    activity->onStateChange(2);
    MPDStatus progress = song(2, 3725, QStringLiteral("Come Together"), QStringLiteral("a/b.flac"));
    progress.elapsedTime = 61000;
    activity->onProgressChange(progress);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 1:01"));
    // Stopped, there is no elapsed time: not the old one.
    activity->onStateChange(1);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 0:00"));
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 0.0);
    progress.elapsedTime = 75000;
    activity->onProgressChange(progress);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 1:15"));
    // The progress events of a stopped player say so too.
    progress.elapsedTime = 0;
    progress.state = 1;
    activity->onProgressChange(progress);
    EXPECT_EQ(bar->elapsedTime()->text(), QStringLiteral(" 0:00"));
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 0.0);
}

TEST_F(WindowTest, StreamShowsItsSavedNameAndNoLength) {
    const QString url = QStringLiteral("http://127.0.0.1:9/live");
    MPDStream::sMPDStream().addStream(url + QStringLiteral("#Radio Locale"));
    // The server tells of the changed streams; the window reads them again.
    spin(300);
    NowPlayingBar *bar = activity->window()->bar();
    activity->onTrackChange(
        song(2, 259, QStringLiteral("Come Together"), QStringLiteral("a/b.flac")));
    EXPECT_EQ(bar->songLenght()->text(), QStringLiteral(" 4:19"));

    activity->onTrackChange(song(2, 0, QStringLiteral("Announced title"), url));
    EXPECT_EQ(bar->currentSongTitle()->text(), QStringLiteral("Radio Locale"));
    // Not the 4:19 of the song before.
    EXPECT_EQ(bar->songLenght()->text(), QStringLiteral(""));
    MPDStream::sMPDStream().deleteStream(0);
}

TEST_F(WindowTest, WindowTitleFollowsAStreamRenamedWhileItPlays) {
    const QString url = QStringLiteral("http://127.0.0.1:9/live");
    MPDStream::sMPDStream().addStream(url + QStringLiteral("#Old Name"));
    NowPlayingBar *bar = activity->window()->bar();
    MPDCache::sMPDCache().setStatus(song(2, 0, QStringLiteral("Announced title"), url));
    ASSERT_TRUE(waitUntil([&] { return bar->currentSongTitle()->text() == "Old Name"; }));
    EXPECT_EQ(activity->window()->windowTitle(), QStringLiteral("Old Name — Kelvane"));
    // Renamed the way the editor does it: the old entry goes, the new one comes.
    const qsizetype position = MPDStream::sMPDStream().getStreamList().value().size() - 1;
    MPDStream::sMPDStream().deleteStream(quint32(position));
    MPDStream::sMPDStream().addStream(url + QStringLiteral("#New Name"));
    ASSERT_TRUE(waitUntil([&] { return bar->currentSongTitle()->text() == "New Name"; }));
    EXPECT_EQ(activity->window()->windowTitle(), QStringLiteral("New Name — Kelvane"));
    MPDStream::sMPDStream().deleteStream(quint32(position));
}

TEST_F(WindowTest, SeekingIsRefusedForAStream) {
    NowPlayingBar *bar = activity->window()->bar();
    MPDStatus stream = song(2, 0, QStringLiteral("t"), QStringLiteral("http://127.0.0.1:9/live"));
    stream.elapsedTime = 5000;
    MPDCache::sMPDCache().setStatus(stream);
    bar->progressTrack()->setMaximumValue(100);
    bar->progressTrack()->setDoubleValue(5);
    bar->seekToBar()->setMaximumValue(100);
    bar->seekToBar()->setDoubleValue(50);
    activity->seekToPosition();
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 5);

    // A file seeks, and the progress bar follows at once.
    MPDCache::sMPDCache().setStatus(song(2, 259, QStringLiteral("t"), QStringLiteral("a/b.flac")));
    activity->seekToPosition();
    EXPECT_DOUBLE_EQ(bar->progressTrack()->doubleValue(), 50);
}

TEST_F(WindowTest, VolumeFollowsTheServerAndAMixerlessServerDisablesIt) {
    NowPlayingBar *bar = activity->window()->bar();
    activity->onVolumeChange(42);
    EXPECT_TRUE(bar->volumeSlider()->isEnabled());
    EXPECT_DOUBLE_EQ(bar->volumeSlider()->doubleValue(), 42);
    activity->onVolumeChange(4294967295u);
    EXPECT_FALSE(bar->volumeSlider()->isEnabled());
    activity->onVolumeChange(10);
    EXPECT_TRUE(bar->volumeSlider()->isEnabled());
}

TEST_F(WindowTest, VolumeIconFollowsTheLevel) {
    NowPlayingBar *bar = activity->window()->bar();
    const auto shown = [bar] { return bar->volumeIcon()->pixmap().toImage(); };
    activity->onVolumeChange(0);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_mute"));
    const QImage mute = shown();
    activity->onVolumeChange(20);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_low"));
    activity->onVolumeChange(50);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_medium"));
    activity->onVolumeChange(100);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_high"));
    EXPECT_NE(shown(), mute);
    // The user's own drag moves it too, before the server answers.
    bar->volumeSlider()->setDoubleValue(10);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_low"));
    // Without mixer: greyed mute; a mixer back, the level again.
    activity->onVolumeChange(4294967295u);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_mute"));
    EXPECT_FALSE(bar->isVolumeIconEnabled());
    EXPECT_NE(shown(), mute);
    activity->onVolumeChange(70);
    EXPECT_EQ(bar->volumeIconName(), QStringLiteral("volume_high"));
    EXPECT_TRUE(bar->isVolumeIconEnabled());
}

TEST_F(WindowTest, ALongTitleEndsInAnEllipsisInANarrowWindow) {
    MainWindow *window = activity->window();
    window->resize(window->minimumSize());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QString title = QStringLiteral("Save the Life of My Child, and a very long remix title");
    spin(20); // laid out at its narrow width
    // Checked at once: the poll would put the server's own song back.
    activity->onTrackChange(song(2, 200, title, QStringLiteral("a/b.flac")));
    auto *label = qobject_cast<ElidedLabel *>(window->bar()->currentSongTitle());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), title);
    EXPECT_EQ(label->toolTip(), title);
    const QString shownText = label->shownText();
    EXPECT_TRUE(shownText.endsWith(QChar(0x2026))) << shownText.toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shownText), label->contentsRect().width());
    EXPECT_TRUE(title.startsWith(shownText.chopped(1)));
    // The artist line too; a short text shows whole.
    auto *artist = qobject_cast<ElidedLabel *>(window->bar()->currentArtistAlbum());
    ASSERT_NE(artist, nullptr);
    activity->onTrackChange(song(2, 200, QStringLiteral("Sun"), QStringLiteral("a/b.flac")));
    EXPECT_EQ(label->shownText(), QStringLiteral("Sun"));
}

TEST_F(WindowTest, PlayButtonDrivesTheServer) {
    server->command(QStringLiteral("clear"));
    server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
    server->command(QStringLiteral("stop"));
    // The toggle reads the last poll: let one see the stopped player.
    ASSERT_TRUE(waitUntil([] {
        const auto &s = MPDCache::sMPDCache().getStatus();
        return s && s->state == 1;
    }));
    activity->playButton();
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("state")),
              QStringLiteral("play"));
    // The poll brings the change back to the bar.
    EXPECT_TRUE(waitUntil([&] {
        return activity->window()->bar()->playImageName() == QLatin1String("pause_button");
    }));
    EXPECT_TRUE(waitUntil([&] {
        return activity->window()->bar()->currentSongTitle()->text() ==
               QLatin1String("Come Together");
    }));
    activity->stopButton();
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("state")),
              QStringLiteral("stop"));
}

TEST_F(WindowTest, ErrorAlertsWaitTheirTurnAndLogTheDetail) {
    logged.clear();
    QtMessageHandler previous = qInstallMessageHandler(collect);
    activity->onError({QStringLiteral("Connexion rejetée"), QStringLiteral("first detail")});
    activity->onError({QStringLiteral("Timeout"), QStringLiteral("second detail")});
    ErrorAlert *alerts = activity->errorAlert();
    QMessageBox *first = alerts->current();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(), QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(first->informativeText(), QStringLiteral("first detail"));
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    EXPECT_EQ(first->parentWidget(), activity->window());
    ASSERT_EQ(first->buttons().size(), 1);
    EXPECT_EQ(first->buttons()[0]->text(), QStringLiteral("Ok"));
    EXPECT_EQ(alerts->pendingCount(), 1);

    first->buttons()[0]->click();
    ASSERT_TRUE(waitUntil([&] {
        return alerts->current() && alerts->current()->text() == QLatin1String("Timeout");
    }));
    alerts->current()->buttons()[0]->click();
    EXPECT_TRUE(waitUntil([&] { return !alerts->current(); }));
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged, QStringList({"first detail", "second detail"}));
}
