// The work MPDSocket hands to the command thread, and the status it brings back.
#include "core/mpd/MPDSocket.h"

#include "core/mpd/CommandThread.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/ServerConnections.h"
#include "core/thread/MainThread.h"
#include "mpdc/Connection.h"

namespace kelvane {

void MPDSocket::post(std::function<void(mpdc::Connection &)> work,
                     std::function<void(bool ran)> answer, Refresh refresh) {
    const quint64 attempt = m_attempt;
    CommandThread &thread = CommandThread::sCommandThread();
    thread.post([this, attempt, work = std::move(work), answer = std::move(answer), refresh,
                 &thread]() mutable {
        auto outcome = std::make_shared<Outcome>();
        {
            // Refusals met here travel with the answer.
            MPDServerError::Held held;
            // Work sent for a session that has ended is not sent to the next one.
            if (attempt == m_attempt) {
                ServerConnections::Lease lease =
                    ServerConnections::sServerConnections().lend(ConnectionRole::Command);
                if (lease && lease->closeIfServerLeft()) {
                    outcome->lost = lease->failure();
                } else if (lease) {
                    work(*lease);
                    outcome->ran = true;
                    if (refresh == Refresh::Status && !lease->isClosed())
                        outcome->poll = lease->poll();
                    if (lease->isClosed()) outcome->lost = lease->failure();
                } else if (lease.failure()) {
                    outcome->lost = *lease.failure();
                }
            }
            outcome->refusals = std::move(held.failures);
        }
        auto hand = [this, attempt, outcome, answer = std::move(answer)] {
            deliver(attempt, std::move(*outcome), answer);
        };
        if (thread.isInline())
            runOnMainThread(std::move(hand));
        else
            postToMainThread(this, std::move(hand));
    });
}

void MPDSocket::deliver(quint64 attempt, Outcome outcome, const std::function<void(bool)> &answer) {
    for (const mpdc::Failure &refusal : outcome.refusals)
        MPDServerError::sMPDServerError().report(refusal);
    const bool current = attempt == m_attempt;
    answer(outcome.ran && current);
    if (!current || !m_connected) return;
    if (outcome.lost) {
        lost(*outcome.lost);
        return;
    }
    if (outcome.poll) applyPoll(*outcome.poll);
}

std::optional<MPDStatus> MPDSocket::statusFrom(const mpdc::PollResult &poll) {
    if (!poll.statusOk) return std::nullopt;
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
    // Heard from the server: the next look for signs of life is due later.
    if (m_connected) m_confirm.start();
    return status;
}

void MPDSocket::applyPoll(const mpdc::PollResult &poll) {
    if (const std::optional<MPDStatus> status = statusFrom(poll))
        MPDCache::sMPDCache().setStatus(status);
}

std::optional<MPDStatus> MPDSocket::getStatus() {
    // The command connection belongs to the command thread: the commands sent before are
    // let through first, so this read is never made beside one of them and sees them.
    CommandThread &commands = CommandThread::sCommandThread();
    if (!commands.isCurrent()) commands.waitForDone();
    const std::shared_ptr<mpdc::Connection> connection =
        ServerConnections::sServerConnections().commandConnection();
    if (!m_connected || !connection) return std::nullopt;
    const mpdc::PollResult poll = connection->poll();
    if (!poll.statusOk) {
        const mpdc::Failure failure = connection->failure();
        close();
        failed(failure);
        return std::nullopt;
    }
    return statusFrom(poll);
}

void MPDSocket::refreshStatus() {
    // One read on its way is enough: the next is asked for when it has come.
    if (m_pollPending) return;
    m_pollPending = true;
    if (!send([](mpdc::Connection &) {}, [this] { m_pollPending = false; })) m_pollPending = false;
}

void MPDSocket::onTicTac() {
    // With the idle watcher, a change is read when it happens: the tick only moves the
    // elapsed time on.
    if (m_idle.isActive() && m_last) {
        MPDCache::sMPDCache().setStatus(interpolated());
        return;
    }
    refreshStatus();
}

MPDStatus MPDSocket::interpolated() const {
    MPDStatus status = *m_last;
    if (status.state == PlayState::Playing) {
        qint64 elapsed = qint64(status.elapsedTime) + m_lastClock.elapsed();
        if (status.totalTime > 0)
            elapsed = std::min<qint64>(elapsed, qint64(status.totalTime) * 1000);
        status.elapsedTime = quint32(elapsed);
    }
    return status;
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

void MPDSocket::stopTimer() {
    // No more change reads at all until the next connect: the idle watcher stops too.
    m_timer.stop();
    m_confirm.stop();
    m_idle.stop();
    m_pollPending = false;
}

void MPDSocket::onIdleChange(unsigned events) {
    if (!m_connected) return;
    // What the server says changed is read in one piece, in the order the events are
    // told: the modes and outputs the status goes with, the status, then the rest.
    struct Read {
        std::optional<mpdc::ReplayGainMode> replayGain;
        std::optional<std::vector<mpdc::OutputInfo>> outputs;
        std::optional<mpdc::PollResult> poll;
    };
    constexpr unsigned statusEvents = mpdc::Idle::Player | mpdc::Idle::Mixer | mpdc::Idle::Options |
                                      mpdc::Idle::Queue | mpdc::Idle::Update;
    send(
        [events](mpdc::Connection &c) {
            Read read;
            {
                mpdc::Connection::QuietRefusals quiet(c);
                if (events & mpdc::Idle::Options) read.replayGain = c.replayGainMode();
                if (events & mpdc::Idle::Output) read.outputs = c.outputs();
            }
            if (events & statusEvents) read.poll = c.poll();
            return read;
        },
        [this, events](Read read) {
            if (read.replayGain) m_replayGain = replayGainName(*read.replayGain);
            if (read.outputs) applyOutputs(*read.outputs);
            if (read.poll) {
                if (!read.poll->statusOk) return; // the server is gone: that is the news
                applyPoll(*read.poll);
            }
            PlayerEvents &hub = PlayerEvents::sPlayerEvents();
            if (events & mpdc::Idle::Queue) Q_EMIT hub.queueChanged();
            if (events & mpdc::Idle::StoredPlaylist) Q_EMIT hub.storedPlaylistsChanged();
            if (events & mpdc::Idle::Database) Q_EMIT hub.databaseChanged();
        },
        Refresh::None);
}

void MPDSocket::onIdleLost() {
    if (!m_connected) return;
    // Most likely the server is gone, which the status read finds and reports; if it
    // answers, only the idle connection was lost: open another.
    send([](mpdc::Connection &c) { return c.poll(); },
         [this](const mpdc::PollResult &poll) {
             if (!poll.statusOk) return;
             applyPoll(poll);
             openIdle();
         },
         Refresh::None);
    restartTimer();
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

void MPDSocket::refreshReplayGain(Refresh refresh) {
    // Not in the status: read apart, when the modes may have changed. A server that
    // does not offer it is not worth an alert.
    send(
        [](mpdc::Connection &c) {
            mpdc::Connection::QuietRefusals quiet(c);
            return c.replayGainMode();
        },
        [this](std::optional<mpdc::ReplayGainMode> mode) {
            if (mode) m_replayGain = replayGainName(*mode);
        },
        refresh);
}

void MPDSocket::refreshOutputs(std::function<void()> then) {
    const bool sent = send(
        [](mpdc::Connection &c) {
            mpdc::Connection::QuietRefusals quiet(c);
            return c.outputs();
        },
        [this, then](std::optional<std::vector<mpdc::OutputInfo>> outputs) {
            if (outputs) applyOutputs(*outputs);
            if (then) then();
        },
        Refresh::None);
    if (!sent && then) then();
}

void MPDSocket::applyOutputs(const std::vector<mpdc::OutputInfo> &outputs) {
    QList<AudioOutput> list;
    for (const mpdc::OutputInfo &info : outputs)
        list.append({info.id, info.name, info.plugin, info.enabled});
    if (m_outputs && *m_outputs == list) return;
    m_outputs = list;
    Q_EMIT PlayerEvents::sPlayerEvents().outputsChanged(list);
}

} // namespace kelvane
