#include "core/mpd/MPDSocket.h"

#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDServerError.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QDebug>

namespace kelvane {

MPDSocket &MPDSocket::sMPDSocket() {
    static MPDSocket *instance = [] {
        auto *socket = new MPDSocket; // lives for the process, like every service
        Setting &setting = Setting::sSetting();
        if (!setting.passwordPending()) {
            socket->connect();
            return socket;
        }
        // The stored password is on its way from the keyring (one to unlock): the first
        // attempt waits for it, the window staying free meanwhile, unless the user connects
        // or disconnects first.
        socket->m_wanted = true;
        socket->setLink(Link::Connecting, QString());
        setting.whenPasswordKnown(socket, [socket] {
            if (socket->m_link == Link::Connecting && socket->m_wanted) socket->connect();
        });
        return socket;
    }();
    return *instance;
}

MPDSocket::MPDSocket() {
    Setting::sSetting().reload();
    m_timer.setInterval(pollIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, &MPDSocket::onTicTac);
    m_keepAlive.setInterval(keepAliveMs);
    QObject::connect(&m_keepAlive, &QTimer::timeout, this, &MPDSocket::refreshStatus);
    m_retryTimer.setSingleShot(true);
    QObject::connect(&m_retryTimer, &QTimer::timeout, this, &MPDSocket::connectSoon);
    QObject::connect(&m_idle, &MPDIdle::changed, this, &MPDSocket::onIdleChange);
    QObject::connect(&m_idle, &MPDIdle::lost, this, &MPDSocket::onIdleLost);
    m_connector.setMaxThreadCount(1);
    m_connector.setObjectName(QStringLiteral("mpd-connect"));
    MPDBulk::sMPDBulk().setFailureHandler([this](const mpdc::Failure &failure) {
        QMetaObject::invokeMethod(
            this, [this, failure] { onBulkFailure(failure); }, Qt::QueuedConnection);
    });
    // Quit at once, even with a long read under way.
    if (QCoreApplication *app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            ++m_attempt;
            m_retryTimer.stop();
            MPDBulk::sMPDBulk().shutdown();
        });
}

MPDSocket::~MPDSocket() = default;

int MPDSocket::connect() {
    close();
    m_wanted = true;
    // The user's own attempt: its failure is news, whatever came before.
    m_outageReported = false;
    m_retryStep = 0;
    m_retryTimer.stop();
    ++m_attempt;
    setLink(Link::Connecting, QString());
    const ServerTarget target = ServerTarget::fromSettings();
    std::shared_ptr<mpdc::Connection> connection = openConnection(target, timeoutMs);
    if (connection->hasError()) {
        m_connection = std::move(connection); // held until the next connect, as before
        failed(m_connection->failure());
        return 0;
    }
    adopt(std::move(connection), target);
    return 0;
}

void MPDSocket::connectSoon() {
    close();
    m_wanted = true;
    m_retryTimer.stop();
    const quint64 attempt = ++m_attempt;
    setLink(Link::Connecting, QString());
    const ServerTarget target = ServerTarget::fromSettings();
    m_connector.start([this, attempt, target] {
        std::shared_ptr<mpdc::Connection> connection = openConnection(target, timeoutMs);
        QMetaObject::invokeMethod(
            this,
            [this, attempt, target, connection] {
                if (attempt != m_attempt)
                    return; // the user disconnected, or connected again, meanwhile
                if (connection->hasError())
                    failed(connection->failure());
                else
                    adopt(connection, target);
            },
            Qt::QueuedConnection);
    });
}

void MPDSocket::adopt(std::shared_ptr<mpdc::Connection> connection, const ServerTarget &target) {
    m_connection = std::move(connection);
    m_target = target;
    // A command the server refuses is reported once and cleared by the connection;
    // polling goes on.
    m_connection->setRefusalHandler(
        [](const mpdc::Failure &refusal) { MPDServerError::sMPDServerError().report(refusal); });
    // A new connection announces the modes and outputs it finds, changed or not.
    MPDCache::sMPDCache().resetOptions();
    m_outputs.reset();
    refreshReplayGain();
    refreshOutputs();
    // Up only once the server has answered: one that greets and then hangs up (a proxy
    // with nothing behind it, a server past its connection limit) is still an outage.
    // A refusal of these reads is an answer too.
    if (m_connection->isClosed()) {
        const mpdc::Failure failure = m_connection->failure();
        close();
        failed(failure);
        return;
    }
    m_connected = true;
    MPDBulk::sMPDBulk().setTarget(target);
    MPDPictures::sMPDPictures().setTarget(target);
    m_last.reset();
    restartTimer();
    m_keepAlive.start();
    openIdle();
    setLink(Link::Up, m_connection->serverVersion());
}

void MPDSocket::openIdle() {
    const quint64 attempt = m_attempt;
    const ServerTarget target = m_target;
    m_connector.start([this, attempt, target] {
        std::shared_ptr<mpdc::Connection> connection = openConnection(target, timeoutMs);
        QMetaObject::invokeMethod(
            this,
            [this, attempt, connection] {
                if (attempt != m_attempt || !m_connected) return;
                // Until it answers, the tick polls as it always did.
                if (!m_idle.start(connection)) return;
                restartTimer();
                refreshStatus(); // what changed while it was being opened
            },
            Qt::QueuedConnection);
    });
}

void MPDSocket::restartTimer() {
    const int interval = m_idle.isActive() ? m_tickMs : pollIntervalMs;
    if (!m_connected || interval <= 0) {
        m_timer.stop();
        return;
    }
    if (m_timer.interval() != interval || !m_timer.isActive()) {
        m_timer.setInterval(interval);
        m_timer.start();
    }
}

void MPDSocket::setTickInterval(int milliseconds) {
    m_tickMs = std::max(0, milliseconds);
    restartTimer();
}

void MPDSocket::onIdleChange(unsigned events) {
    if (!m_connected) return;
    PlayerEvents &hub = PlayerEvents::sPlayerEvents();
    if (events & mpdc::Idle::Options) refreshReplayGain();
    if (events & mpdc::Idle::Output) refreshOutputs();
    constexpr unsigned statusEvents = mpdc::Idle::Player | mpdc::Idle::Mixer | mpdc::Idle::Options |
                                      mpdc::Idle::Queue | mpdc::Idle::Update;
    if (events & statusEvents) refreshStatus();
    if (!m_connected) return; // the read found the server gone
    if (events & mpdc::Idle::Queue) Q_EMIT hub.queueChanged();
    if (events & mpdc::Idle::StoredPlaylist) Q_EMIT hub.storedPlaylistsChanged();
    if (events & mpdc::Idle::Database) Q_EMIT hub.databaseChanged();
}

void MPDSocket::onIdleLost() {
    if (!m_connected) return;
    // Most likely the server is gone, which the status read finds and reports; if it
    // answers, only the idle connection was lost: open another.
    refreshStatus();
    if (m_connected)
        openIdle();
    else
        restartTimer();
}

void MPDSocket::refreshStatus() {
    if (!m_connected) return;
    MPDCache::sMPDCache().setStatus(getStatus());
}

MPDStatus MPDSocket::interpolated() const {
    MPDStatus status = *m_last;
    if (status.state == 2) {
        qint64 elapsed = qint64(status.elapsedTime) + m_lastClock.elapsed();
        if (status.totalTime > 0)
            elapsed = std::min<qint64>(elapsed, qint64(status.totalTime) * 1000);
        status.elapsedTime = quint32(elapsed);
    }
    return status;
}

void MPDSocket::close() {
    stopTimer();
    m_keepAlive.stop();
    m_idle.stop();
    m_last.reset();
    MPDBulk::sMPDBulk().setTarget(std::nullopt);
    MPDPictures::sMPDPictures().setTarget(std::nullopt);
    m_connection.reset();
    m_connected = false;
}

void MPDSocket::failed(const mpdc::Failure &failure) {
    m_lastFailure = failure.message;
    if (!m_outageReported) {
        m_outageReported = true;
        MPDServerError::sMPDServerError().sendOutage(failure);
        setLink(Link::Off, failure.message);
    }
    if (m_wanted)
        scheduleRetry();
    else
        setLink(Link::Off, failure.message);
}

void MPDSocket::scheduleRetry() {
    const int seconds =
        retryDelays[std::min<size_t>(size_t(m_retryStep), std::size(retryDelays) - 1)];
    ++m_retryStep;
    m_retryTimer.start(seconds * m_retryUnitMs);
    setLink(Link::Retrying, QString::number(seconds));
}

void MPDSocket::disconnect() {
    const bool wasTrying = m_wanted && !m_connected;
    m_wanted = false;
    m_retryTimer.stop();
    ++m_attempt;
    if (!m_connected) {
        // Nothing to close; only the retries stop.
        if (wasTrying) setLink(Link::Off, QStringLiteral("disconnected"));
        return;
    }
    close();
    setLink(Link::Off, QStringLiteral("disconnected"));
}

void MPDSocket::setLink(Link link, const QString &detail) {
    if (link == m_link && detail == m_linkDetail) return;
    m_link = link;
    m_linkDetail = detail;
    Q_EMIT linkChanged(link, detail);
}

bool MPDSocket::isConnected() {
    if (!m_connected || !m_connection) return false;
    if (m_connection->hasError()) return false;
    return m_connection->finishResponse();
}

void MPDSocket::stopTimer() {
    // No more change reads at all until the next connect: the idle watcher stops too.
    m_timer.stop();
    m_idle.stop();
}

void MPDSocket::onTicTac() {
    // With the idle watcher, a change is read when it happens: the tick only moves the
    // elapsed time on.
    if (m_idle.isActive() && m_last) {
        MPDCache::sMPDCache().setStatus(interpolated());
        return;
    }
    MPDCache::sMPDCache().setStatus(getStatus());
}

void MPDSocket::onBulkFailure(const mpdc::Failure &failure) {
    // The second connection closed on its own: if the first cannot talk to the server
    // either, the server is gone and the poll's alert says so; otherwise the reason
    // (an answer too large, a malformed line) is worth an alert of its own.
    if (!m_connected || !m_connection) return;
    if (m_connection->status()) {
        MPDServerError::sMPDServerError().report(failure);
        return;
    }
    onTicTac();
}

std::optional<MPDStatus> MPDSocket::getStatus() {
    if (!m_connection) return std::nullopt;
    const mpdc::PollResult poll = m_connection->poll();
    if (!poll.statusOk) {
        const mpdc::Failure failure = m_connection->failure();
        close();
        failed(failure);
        return std::nullopt;
    }
    ++m_statusReads;
    // The outage is over only once the server answers: a server that takes the
    // connection but refuses the status (a password it wants) is still one outage.
    m_outageReported = false;
    m_retryStep = 0;
    MPDStatus status;
    status.elapsedTime = poll.status.elapsedMs;
    status.totalTime = qint32(poll.status.totalTime);
    status.titlePosition = poll.status.songPos;
    status.state = poll.status.state;
    status.volume = quint32(poll.status.volume);
    status.random = poll.status.random;
    status.repeat = poll.status.repeat;
    status.consume = poll.status.consume;
    status.single = qint32(poll.status.single);
    status.crossfade = poll.status.crossfade;
    status.replayGain = m_replayGain;
    status.queueVersion = poll.status.queueVersion;
    status.queueLength = poll.status.queueLength;
    if (poll.songOk) {
        for (const mpdc::SongInfo &song : poll.songs) {
            status.artist = song.artist;
            status.albumArtist = song.albumArtist;
            status.album = song.album;
            status.title = song.title;
            status.track = song.track;
            status.path = song.uri;
        }
    }
    m_last = status;
    m_lastClock.start();
    return status;
}

QString MPDSocket::replayGainName(mpdc::ReplayGainMode mode) {
    switch (mode) {
    case mpdc::ReplayGainMode::Track:
        return QStringLiteral("track");
    case mpdc::ReplayGainMode::Album:
        return QStringLiteral("album");
    case mpdc::ReplayGainMode::Auto:
        return QStringLiteral("auto");
    case mpdc::ReplayGainMode::Off:
        break;
    }
    return QStringLiteral("off");
}

void MPDSocket::refreshReplayGain() {
    if (!m_connection) return;
    // Not in the status: read apart, when the modes may have changed. A server that
    // does not offer it is not worth an alert.
    mpdc::Connection::QuietRefusals quiet(*m_connection);
    if (const auto mode = m_connection->replayGainMode()) m_replayGain = replayGainName(*mode);
}

void MPDSocket::refreshOutputs() {
    if (!m_connection) return;
    mpdc::Connection::QuietRefusals quiet(*m_connection);
    const auto outputs = m_connection->outputs();
    if (!outputs) return;
    QList<AudioOutput> list;
    for (const mpdc::OutputInfo &info : *outputs)
        list.append({info.id, info.name, info.plugin, info.enabled});
    if (m_outputs && *m_outputs == list) return;
    m_outputs = list;
    Q_EMIT PlayerEvents::sPlayerEvents().outputsChanged(list);
}

} // namespace kelvane
