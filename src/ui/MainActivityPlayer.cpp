// The now-playing side of MainActivity: change events in, the user's actions out.
#include "ui/MainActivity.h"

#include "core/mpd/MPDStatus.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDCache.h"
#include "ui/MainWindow.h"
#include "ui/NowPlayingBar.h"
#include "ui/NowPlayingText.h"
#include "ui/SideBar.h"
#include "ui/base/ProgressSlider.h"

#include <QLabel>
#include <cmath>

namespace kelvane {

void MainActivity::wireBar() {
    NowPlayingBar *bar = m_window->bar();
    connect(bar, &NowPlayingBar::playButton, this, &MainActivity::playButton);
    connect(bar, &NowPlayingBar::stopButtonClicked, this, &MainActivity::stopButton);
    connect(bar, &NowPlayingBar::nextButtonClicked, this, &MainActivity::nextButton);
    connect(bar, &NowPlayingBar::previousButtonClicked, this, &MainActivity::previousButton);
    connect(bar, &NowPlayingBar::volumeChanged, this, &MainActivity::volume);
    connect(bar, &NowPlayingBar::seekRequested, this, &MainActivity::seekToPosition);
}

void MainActivity::onStateChange(qint32 state) {
    m_window->bar()->setPlayImage(state == PlayState::Playing ? QStringLiteral("pause_button")
                                                              : QStringLiteral("play_button"));
    if (state == PlayState::Stopped) m_window->bar()->showStopped();
    NotificationCenter::defaultCenter().post(statusChanged());
}

void MainActivity::onVolumeChange(quint32 volume) {
    m_window->bar()->setVolume(volume);
}

void MainActivity::onProgressChange(const MPDStatus &status) {
    if (status.state == PlayState::Stopped)
        m_window->bar()->showStopped();
    else
        m_window->bar()->setElapsed(status.elapsedTime);
}

void MainActivity::onTrackChange(const MPDStatus &status) {
    NotificationCenter::defaultCenter().post(statusChanged());
    NowPlayingBar *bar = m_window->bar();
    bar->setMaximumTime(status.totalTime);
    bar->setTotalTime(status.totalTime);
    setArtistAndAlbum(status);
    setSongTitle(status);
    bar->setCoverForPath(status.path);
    bar->setSeekable(!NowPlayingText::isStream(status.path));
}

void MainActivity::onAlbumUpdateTrigger(const QString &text) {
    NowPlayingBar *bar = m_window->bar();
    if (text == QLatin1String("dbUpdateFinish")) {
        m_dbUpdating = false;
        if (const std::optional<MPDStatus> &last = MPDCache::sMPDCache().getStatus())
            onTrackChange(*last);
        SideBar *sideBar = m_window->sideBar();
        sideBar->reloadData();
        refreshAlbumBadge();
        // An entry chosen while the update ran is shown now; the one on screen stays
        // (the album grid refills itself from the new list, where it is scrolled to).
        const QString chosen = sideBar->selectedName();
        if (!chosen.isEmpty() && chosen != m_currentEntry)
            setContentViewToName(chosen);
        else
            sidebarReloaded();
        return;
    }
    bar->setArtistAndAlbumText(QStringLiteral(" "));
    bar->setSongTitleText(text);
}

void MainActivity::setArtistAndAlbum(const MPDStatus &status) {
    m_window->bar()->setArtistAndAlbumText(NowPlayingText::artistAndAlbum(status));
}

void MainActivity::setSongTitle(const MPDStatus &status) {
    if (status.state == PlayState::Stopped)
        m_window->bar()->setPlayImage(QStringLiteral("play_button"));
    // The saved streams, read off the GUI thread when they change; until they are known
    // a stream shows the title it announces.
    const bool stream = NowPlayingText::isStream(status.path);
    NowPlayingBar *bar = m_window->bar();
    bar->setSongTitleText(NowPlayingText::songTitle(status, stream ? m_streams : std::nullopt));
    // The task bar shows what plays, under the same name as the bar (a stream renamed
    // meanwhile included).
    const QString title = bar->currentSongTitle()->text().trimmed();
    const bool playing = status.state == PlayState::Playing || status.state == PlayState::Paused;
    m_window->setWindowTitle(playing && !title.isEmpty() ? title + QStringLiteral(" — Kelvane")
                                                         : QStringLiteral("Kelvane"));
}

void MainActivity::playButton() {
    MPDCommand::sMPDCommand().play();
}
void MainActivity::stopButton() {
    MPDCommand::sMPDCommand().stop();
}
void MainActivity::nextButton() {
    MPDCommand::sMPDCommand().next();
}
void MainActivity::previousButton() {
    MPDCommand::sMPDCommand().previous();
}

void MainActivity::volume() {
    const double value = m_window->bar()->volumeSlider()->doubleValue();
    MPDCommand::sMPDCommand().setVolume(quint32(std::lround(std::clamp(value, 0.0, 100.0))));
}

void MainActivity::seekToPosition() {
    const std::optional<MPDStatus> &last = MPDCache::sMPDCache().getStatus();
    // A stream cannot be seeked.
    if (last && NowPlayingText::isStream(last->path)) return;
    const float seconds = float(m_window->bar()->seekToBar()->doubleValue());
    MPDCommand::sMPDCommand().seekPosition(seconds);
    m_window->bar()->progressTrack()->setDoubleValue(seconds);
}

} // namespace kelvane
