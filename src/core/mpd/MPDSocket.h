#pragma once

#include "core/mpd/MPDIdle.h"
#include "core/mpd/MPDStatus.h"
#include "core/mpd/PlayerEvents.h"
#include "core/mpd/ServerConnections.h"
#include "core/mpd/ServerTarget.h"
#include "mpdc/Records.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace kelvane {

namespace mpdc {
class Connection;
}

// The link to the server and the player's state as the client knows it: connects and
// reconnects (after a loss, one alert, then new attempts on their own after 1, 2, 4, 8,
// 16 and then every 30 s until one succeeds or the user disconnects), hands the services'
// work to the command thread, and brings the status to MPDCache. The connections
// themselves belong to ServerConnections.
//
// Changes: the idle connection (MPDIdle) wakes the client the moment the server changes,
// and the status is read then, and right after each command. Between changes the tick
// hands MPDCache a snapshot whose elapsed time runs on a monotonic clock from the last
// read, at the rate the front end asks for (0: none); without an idle connection (not
// open yet, or refused) the tick reads the status at 0.1 s. After a few seconds with no
// word from the server its status is read once more, so a server that hangs is noticed.
// GUI thread; no call here waits on the server except connect() and getStatus().
class MPDSocket : public QObject {
    Q_OBJECT
  public:
    // Off: not connected and not trying (before the first connect, after disconnect()).
    // Connecting: an attempt is under way. Up: connected. Retrying: waiting for the next
    // attempt.
    enum class Link { Off, Connecting, Up, Retrying };
    Q_ENUM(Link)
    // Whether work sent to the server is followed by a status read (send()).
    enum class Refresh { None, Status };

    // The first call reloads the settings and starts the first connection attempt (on the
    // command thread: a server that never answers does not hold the window).
    static MPDSocket &sMPDSocket();

    // Opens a fresh connection at once, on this thread (closing a live one first, so
    // there is never a second timer) and starts polling on success; a failure is
    // reported once and the retries begin. Always 0. Blocks up to the time-out.
    int connect();
    // The same attempt on the command thread: the link is Connecting until it ends.
    void connectSoon();
    // Closes the connections and stops the retries.
    void disconnect();
    // True while connected and the command connection has not failed. Never waits.
    bool isConnected() const;
    // The command connection, possibly one in error state; null when not connected.
    mpdc::Connection *getConnection() const;
    void stopTimer();
    // Whether changes on the server reach the client: the idle watcher or the poll.
    bool isPolling() const { return m_timer.isActive() || m_idle.isActive(); }
    // The tick's interval in ms (100 at first); 0 stops it while changes still come
    // through idle.
    void setTickInterval(int milliseconds);
    int tickInterval() const { return m_tickMs; }
    // Reads the status (on the command thread) and hands it to MPDCache.
    void refreshStatus();
    // Status reads applied so far (tests count them).
    quint64 statusReads() const { return m_statusReads; }
    bool isIdleActive() const { return m_idle.isActive(); }

    Link link() const { return m_link; }
    // Up: the server's protocol version; Off after a failure: its message; Retrying: the
    // seconds until the next attempt.
    QString linkDetail() const { return m_linkDetail; }
    // The message of the last failed attempt or lost connection.
    QString lastFailure() const { return m_lastFailure; }
    // When the next attempt is due (Retrying only), in milliseconds from now.
    int retryRemainingMs() const {
        return m_retryTimer.isActive() ? m_retryTimer.remainingTime() : 0;
    }
    // The server of the current (or last) connection.
    const ServerTarget &target() const { return m_target; }

    // One poll exchange on this thread, handed to MPDCache's rules as a tick's would be;
    // none when it failed (the link is then lost). Blocks: benchmarks and tests.
    std::optional<MPDStatus> getStatus();
    void onTicTac();

    // Re-read what the status does not carry: the replay gain mode (it goes into every
    // later snapshot; with Refresh::Status one is read right after it) and the audio
    // outputs (outputsChanged when they differ). then runs on this thread once the
    // outputs are known (at once when not connected).
    void refreshReplayGain(Refresh refresh = Refresh::None);
    void refreshOutputs(std::function<void()> then = {});
    const std::optional<QList<AudioOutput>> &outputs() const { return m_outputs; }
    static QString replayGainName(mpdc::ReplayGainMode mode);

    // Sends work to the server after everything sent before it: work(connection) runs on
    // the command thread (not at all when the link is gone by then), the status is read
    // right after it when asked, and on the GUI thread the refusals it met are reported,
    // answer(result) runs (with a default result when work did not run, or ran for a
    // session that has ended since), then the status reaches MPDCache. False, and nothing
    // sent, when not connected.
    template <class Work, class Answer>
    bool send(Work work, Answer answer, Refresh refresh = Refresh::Status);
    template <class Work> bool send(Work work, Refresh refresh = Refresh::Status) {
        return send(
            std::move(work), [](auto &&...) {}, refresh);
    }

    static constexpr unsigned timeoutMs = ServerConnections::timeoutMs;
    static constexpr int pollIntervalMs = 100;
    // Silence after which the status is read anyway: with the retry's first step and the
    // time-out, a hung server shows within about 8 s.
    static constexpr int confirmAfterMs = 4000;
    // Seconds between attempts after a loss: these, then the last one for good.
    static constexpr int retryDelays[] = {1, 2, 4, 8, 16, 30};
    // Tests shorten the wait between attempts (1000 in use).
    void setRetryUnitMs(int milliseconds) { m_retryUnitMs = milliseconds; }

  Q_SIGNALS:
    void linkChanged(kelvane::MPDSocket::Link link, const QString &detail);

  private:
    MPDSocket();
    ~MPDSocket() override;

    // What a job learnt, for the GUI thread.
    struct Outcome {
        std::optional<mpdc::PollResult> poll;
        std::optional<mpdc::Failure> lost; // the command connection failed so
        QList<mpdc::Failure> refusals;
        bool ran = false;
    };
    void post(std::function<void(mpdc::Connection &)> work, std::function<void(bool ran)> answer,
              Refresh refresh);
    void deliver(quint64 attempt, Outcome outcome, const std::function<void(bool)> &answer);

    // Closes the connections without touching the retries.
    void close();
    // What a new connection must answer before the link is up.
    struct FirstAnswer {
        std::optional<mpdc::ReplayGainMode> replayGain;
        std::optional<std::vector<mpdc::OutputInfo>> outputs;
    };
    static FirstAnswer firstAnswer(mpdc::Connection &connection);
    void adopt(std::shared_ptr<mpdc::Connection> connection, const ServerTarget &target,
               const FirstAnswer &first);
    // A connect that failed, or a connection that was lost: one alert per outage, then
    // the next attempt is scheduled unless the user disconnected.
    void failed(const mpdc::Failure &failure);
    void lost(const mpdc::Failure &failure);
    void scheduleRetry();
    void setLink(Link link, const QString &detail);
    void onBulkFailure(const mpdc::Failure &failure);
    void openIdle();
    void onIdleChange(unsigned events);
    void onIdleLost();
    void restartTimer();
    // The snapshot of a poll that succeeded (counted, and kept for the tick); none when
    // it failed.
    std::optional<MPDStatus> statusFrom(const mpdc::PollResult &poll);
    void applyPoll(const mpdc::PollResult &poll);
    void applyOutputs(const std::vector<mpdc::OutputInfo> &outputs);
    MPDStatus interpolated() const;

    bool m_connected = false;
    QTimer m_timer;
    QTimer m_retryTimer;
    QTimer m_confirm;
    ServerTarget m_target;
    Link m_link = Link::Off;
    QString m_linkDetail;
    QString m_lastFailure;
    bool m_wanted = false; // the user wants a connection (cleared by disconnect())
    bool m_outageReported = false;
    int m_retryStep = 0;
    int m_retryUnitMs = 1000;
    // An answer of an older attempt is dropped; jobs look at it from the command thread.
    std::atomic<quint64> m_attempt{0};
    bool m_pollPending = false; // a tick's read is on its way: the next tick adds none
    QString m_replayGain;
    std::optional<QList<AudioOutput>> m_outputs;
    MPDIdle m_idle;
    int m_tickMs = pollIntervalMs;
    std::optional<MPDStatus> m_last; // the last status read, and when
    QElapsedTimer m_lastClock;
    quint64 m_statusReads = 0;
};

template <class Work, class Answer>
bool MPDSocket::send(Work work, Answer answer, Refresh refresh) {
    if (!isConnected()) return false;
    using Result = std::invoke_result_t<Work &, mpdc::Connection &>;
    if constexpr (std::is_void_v<Result>) {
        post([work = std::move(work)](mpdc::Connection &c) mutable { work(c); },
             [answer = std::move(answer)](bool) mutable { answer(); }, refresh);
    } else {
        // Written on the command thread, read on the GUI thread after the hand-over.
        auto result = std::make_shared<Result>();
        post([work = std::move(work), result](mpdc::Connection &c) mutable { *result = work(c); },
             [answer = std::move(answer), result](bool counts) mutable {
                 answer(counts ? std::move(*result) : Result{});
             },
             refresh);
    }
    return true;
}

} // namespace kelvane
