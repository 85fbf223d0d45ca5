// The link's life: connecting, losing the server, retrying, disconnecting.
#include "core/mpd/MPDSocket.h"

#include "core/mpd/CommandThread.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/ServerConnections.h"
#include "core/settings/Setting.h"
#include "core/thread/MainThread.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>

namespace kelvane {

namespace {
ServerConnections &connections() {
    return ServerConnections::sServerConnections();
}
} // namespace

MPDSocket &MPDSocket::sMPDSocket() {
    static MPDSocket *instance = [] {
        auto *socket = new MPDSocket; // lives for the process, like every service
        Setting &setting = Setting::sSetting();
        if (!setting.passwordPending()) {
            socket->connectSoon();
            return socket;
        }
        // The stored password is on its way from the keyring (one to unlock): the first
        // attempt waits for it, unless the user connects or disconnects first.
        socket->m_wanted = true;
        socket->setLink(Link::Connecting, QString());
        setting.whenPasswordKnown(socket, [socket] {
            if (socket->m_link == Link::Connecting && socket->m_wanted) socket->connectSoon();
        });
        return socket;
    }();
    return *instance;
}

MPDSocket::MPDSocket() {
    Setting::sSetting().reload();
    m_timer.setInterval(pollIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, &MPDSocket::onTicTac);
    m_confirm.setSingleShot(true);
    m_confirm.setInterval(confirmAfterMs);
    QObject::connect(&m_confirm, &QTimer::timeout, this, &MPDSocket::refreshStatus);
    m_retryTimer.setSingleShot(true);
    QObject::connect(&m_retryTimer, &QTimer::timeout, this, &MPDSocket::connectSoon);
    QObject::connect(&m_idle, &MPDIdle::changed, this, &MPDSocket::onIdleChange);
    QObject::connect(&m_idle, &MPDIdle::lost, this, &MPDSocket::onIdleLost);
    MPDBulk::sMPDBulk().setFailureHandler([this](const mpdc::Failure &failure) {
        postToMainThread(this, [this, failure] { onBulkFailure(failure); });
    });
    if (QCoreApplication *app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            ++m_attempt;
            m_retryTimer.stop();
            // The user's last commands still reach the server (within the time-out); a
            // long read does not hold the exit.
            CommandThread::sCommandThread().waitForDone(int(ServerConnections::timeoutMs));
            close();
            MPDBulk::sMPDBulk().waitForDone();
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
    std::shared_ptr<mpdc::Connection> connection = connections().open(target);
    const FirstAnswer first = firstAnswer(*connection);
    adopt(std::move(connection), target, first);
    return 0;
}

MPDSocket::FirstAnswer MPDSocket::firstAnswer(mpdc::Connection &connection) {
    // What the status does not carry. A server that does not offer it is not worth an
    // alert; one that hangs up here has not answered at all.
    FirstAnswer first;
    if (connection.isClosed()) return first;
    mpdc::Connection::QuietRefusals quiet(connection);
    first.replayGain = connection.replayGainMode();
    first.outputs = connection.outputs();
    return first;
}

void MPDSocket::connectSoon() {
    close();
    m_wanted = true;
    m_retryTimer.stop();
    const quint64 attempt = ++m_attempt;
    setLink(Link::Connecting, QString());
    const ServerTarget target = ServerTarget::fromSettings();
    connections().openLater(target,
                            [this, attempt, target](std::shared_ptr<mpdc::Connection> connection) {
                                // Still on the opening thread, like the greeting.
                                const FirstAnswer first = firstAnswer(*connection);
                                postToMainThread(this, [this, attempt, target, connection, first] {
                                    if (attempt != m_attempt)
                                        return; // the user disconnected, or connected again
                                    adopt(connection, target, first);
                                });
                            });
}

void MPDSocket::adopt(std::shared_ptr<mpdc::Connection> connection, const ServerTarget &target,
                      const FirstAnswer &first) {
    // Up only once the server has answered: one that greets and then hangs up (a proxy
    // with nothing behind it, a server past its connection limit) is still an outage. A
    // refusal of the first reads is an answer too.
    if (connection->isClosed()) {
        failed(connection->failure());
        return;
    }
    // Asked before the command thread may take the connection.
    const QString version = connection->serverVersion();
    m_target = target;
    connections().start(target, std::move(connection));
    m_connected = true;
    // A new connection announces the modes and outputs it finds, changed or not.
    MPDCache::sMPDCache().forgetStatus();
    MPDCache::sMPDCache().resetOptions();
    m_outputs.reset();
    m_last.reset();
    if (first.replayGain) m_replayGain = replayGainName(*first.replayGain);
    if (first.outputs) applyOutputs(*first.outputs);
    // The tick reads the status until the idle connection is up.
    restartTimer();
    m_confirm.start();
    openIdle();
    setLink(Link::Up, version);
}

void MPDSocket::openIdle() {
    const quint64 attempt = m_attempt;
    connections().openIdleLater([this, attempt](std::shared_ptr<mpdc::Connection> connection) {
        postToMainThread(this, [this, attempt, connection] {
            if (attempt != m_attempt || !m_connected || !connection) return;
            // Until it answers, the tick reads the status at 0.1 s.
            if (!m_idle.start(connection)) return;
            restartTimer();
            refreshStatus(); // what changed while it was being opened
        });
    });
}

void MPDSocket::close() {
    // The idle watcher first: it must never watch a socket the owner shuts down.
    stopTimer();
    m_confirm.stop();
    m_last.reset();
    m_connected = false;
    connections().stop();
}

void MPDSocket::lost(const mpdc::Failure &failure) {
    close();
    failed(failure);
    MPDCache::sMPDCache().setStatus(std::nullopt);
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

bool MPDSocket::isConnected() const {
    if (!m_connected) return false;
    const std::shared_ptr<mpdc::Connection> connection = connections().commandConnection();
    return connection && !connection->isClosed();
}

mpdc::Connection *MPDSocket::getConnection() const {
    return connections().commandConnection().get();
}

void MPDSocket::onBulkFailure(const mpdc::Failure &failure) {
    // The bulk connection closed on its own: if the command connection cannot talk to the
    // server either, the server is gone and that loss says so; otherwise the reason (an
    // answer too large, a malformed line) is worth an alert of its own.
    const bool sent = send([](mpdc::Connection &c) { return c.status().has_value(); },
                           [failure](bool answered) {
                               if (answered) MPDServerError::sMPDServerError().report(failure);
                           },
                           Refresh::None);
    Q_UNUSED(sent);
}

} // namespace kelvane
