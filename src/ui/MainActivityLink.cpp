// The connection side of MainActivity: its state in the now-playing bar, what a
// connection that comes back reloads, changes another client made, and the rate at
// which the elapsed time moves on screen.
#include "ui/MainActivity.h"

#include "core/mpd/MPDStatus.h"

#include <algorithm>

#include "core/commands/MPDCommand.h"
#include "core/library/CatalogueLoader.h"
#include "core/library/MPDPlayLists.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/PlayerEvents.h"
#include "core/streams/MPDStream.h"
#include "ui/ErrorAlert.h"
#include "ui/MainWindow.h"
#include "ui/NowPlayingBar.h"
#include "ui/SideBar.h"
#include "ui/base/ProgressSlider.h"

#include <QEvent>
#include <algorithm>

namespace kelvane {

void MainActivity::wireLink() {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    connect(&socket, &MPDSocket::linkChanged, this, &MainActivity::onLinkChanged);
    PlayerEvents &events = PlayerEvents::sPlayerEvents();
    connect(&events, &PlayerEvents::storedPlaylistsChanged, this,
            &MainActivity::onStoredPlaylistsChanged);
    connect(&events, &PlayerEvents::databaseChanged, this, &MainActivity::onDatabaseChanged);
    // Each snapshot (a change of state among them) sets when the next one is due: a seek
    // moves the second's boundary.
    connect(&events, &PlayerEvents::statusChanged, this, &MainActivity::updateTickRate);
    m_window->installEventFilter(this);
    // "nouvelle tentative dans 8 s" counts down while it is on screen; nothing else ticks.
    m_retryCountdown.setInterval(1000);
    connect(&m_retryCountdown, &QTimer::timeout, this, &MainActivity::showRetryCountdown);
    onLinkChanged(socket.link(), socket.linkDetail());
    updateTickRate();
}

void MainActivity::onLinkChanged(MPDSocket::Link link, const QString &) {
    NowPlayingBar *bar = m_window->bar();
    const bool up = link == MPDSocket::Link::Up;
    bar->setTransportEnabled(up);
    setModesEnabled(up);
    m_retryCountdown.stop();
    switch (link) {
    case MPDSocket::Link::Up:
        bar->setLinkText(QString());
        m_errorAlert->linkRestored();
        break;
    case MPDSocket::Link::Connecting:
        bar->setLinkText(tr("Connexion…"));
        break;
    case MPDSocket::Link::Retrying:
        showRetryCountdown();
        if (m_window->isVisible()) m_retryCountdown.start();
        break;
    case MPDSocket::Link::Off:
        bar->setLinkText(tr("Déconnecté"));
        break;
    }
    if (!up) {
        m_linkWasDown = true;
        return;
    }
    // Back after an outage (or a connect): what was read before may be stale. The update
    // reconnects at its end by itself and tells the views then.
    const bool wasDown = m_linkWasDown;
    m_linkWasDown = false;
    m_streams.reset();
    refreshStreams();
    if (MPDCommand::sMPDCommand().isUpdating()) return;
    if (wasDown) {
        MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
        updateSidebar();
        reloadContentView();
        updateTickRate();
    }
    // The album count and the song search need the catalogue whichever view is shown.
    CatalogueLoader::sCatalogueLoader().load();
}

void MainActivity::showRetryCountdown() {
    const int seconds = (MPDSocket::sMPDSocket().retryRemainingMs() + 999) / 1000;
    m_window->bar()->setLinkText(tr("Déconnecté — nouvelle tentative dans %1 s").arg(seconds));
}

void MainActivity::onStoredPlaylistsChanged() {
    m_streams.reset();
    refreshStreams();
    updateSidebar();
    // A stored playlist on screen, or the saved streams (a stored playlist too), read
    // again where they are scrolled to.
    if (m_currentContentName == QLatin1String("Playlist") ||
        m_currentContentName == QLatin1String("Stream"))
        reloadContentView();
}

void MainActivity::onDatabaseChanged() {
    // Our own update tells the views at its end, with the list it settled on.
    if (MPDCommand::sMPDCommand().isUpdating()) return;
    MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    if (m_currentContentName == QLatin1String("Library")) reloadContentView();
    CatalogueLoader::sCatalogueLoader().load();
}

void MainActivity::refreshStreams() {
    const quint64 ticket = ++m_streamsTicket;
    MPDBulk::sMPDBulk().run(
        this, [] { return MPDStream::sMPDStream().getStreamList(); },
        [this, ticket](std::optional<QList<Stream>> streams) {
            if (ticket != m_streamsTicket || !streams) return;
            m_streams = std::move(streams);
            // A playing stream takes its saved name as soon as it is known.
            if (const std::optional<MPDStatus> &last = MPDCache::sMPDCache().getStatus())
                setSongTitle(*last);
        });
}

void MainActivity::updateTickRate() {
    const std::optional<MPDStatus> &status = MPDCache::sMPDCache().getStatus();
    const bool seen = m_window->isVisible() && !m_window->isMinimized();
    const bool playing = status && status->state == PlayState::Playing;
    MPDSocket &socket = MPDSocket::sMPDSocket();
    const int interval =
        seen && playing ? shownTickInterval(*status, m_window->bar()->seekToBar()->width()) : 0;
    const bool starting = interval > 0 && socket.tickInterval() <= 0;
    if (interval == socket.tickInterval()) return;
    socket.setTickInterval(interval);
    // Shown again: the time on screen catches up at once rather than at the next tick.
    if (starting && socket.isIdleActive()) socket.onTicTac();
}

int MainActivity::shownTickInterval(const MPDStatus &status, int sliderPixels) {
    // Just past the next whole second, so the text shows it when it comes.
    int ms = 1000 - int(status.elapsedTime % 1000) + 10;
    if (status.totalTime > 0 && sliderPixels > 0)
        ms = std::min<qint64>(ms, qint64(status.totalTime) * 1000 / sliderPixels);
    return std::clamp(ms, int(shortestTickMs), 1010);
}

bool MainActivity::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            QMetaObject::invokeMethod(this, &MainActivity::updateTickRate, Qt::QueuedConnection);
            if (event->type() == QEvent::Hide)
                m_retryCountdown.stop();
            else if (MPDSocket::sMPDSocket().link() == MPDSocket::Link::Retrying)
                m_retryCountdown.start();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvane
