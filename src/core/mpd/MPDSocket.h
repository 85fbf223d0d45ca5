#pragma once

#include "core/mpd/MPDIdle.h"
#include "core/mpd/MPDStatus.h"
#include "core/mpd/PlayerEvents.h"
#include "core/mpd/ServerTarget.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <memory>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
struct Failure;
enum class ReplayGainMode;
} // namespace mpdc

// Owns the first connection to the server (status reads and the user's commands), the
// connected flag, the idle watcher, the tick timer and the link's life.
//
// Changes: a third connection sits in the server's idle (MPDIdle) and the status is
// read the moment it reports one, and right after each command of ours. Between
// changes, the tick hands MPDCache a snapshot whose elapsed time runs on a monotonic
// clock from the last status read, at the rate the front end asks for (0: none, while
// nothing is shown); no exchange is made for it. Without an idle connection (not open
// yet, or refused) the tick polls the server at 0.1 s as it always did.
//
// Link: after a lost connection (or a failed connect) one alert, then new attempts on
// their own after 1, 2, 4, 8, 16 and then every 30 s, until one succeeds or the user
// disconnects. Attempts made by the timer (and by connectSoon()) open their connection
// on a worker thread, so a server that does not answer never holds the window.
// GUI thread.
class MPDSocket : public QObject {
    Q_OBJECT
  public:
    // Off: not connected and not trying (before the first connect, after disconnect()).
    // Connecting: an attempt is under way. Up: connected. Retrying: waiting for the next
    // attempt.
    enum class Link { Off, Connecting, Up, Retrying };
    Q_ENUM(Link)

    // The first call reloads the settings and makes the first connection attempt.
    static MPDSocket &sMPDSocket();

    // Opens a fresh connection at once, on this thread (closing a live one first, so
    // there is never a second timer) and starts polling on success; a failure is
    // reported once and the retries begin. Always 0.
    int connect();
    // The same attempt on a worker thread: the link is Connecting until it ends.
    void connectSoon();
    // Closes the connection and stops the retries.
    void disconnect();
    // True when the flag is set, the connection holds no error and its pending answer
    // (if any) can be drained.
    bool isConnected();
    // The current connection, possibly one in error state; null before the first connect.
    mpdc::Connection *getConnection() const { return m_connection.get(); }
    void stopTimer();
    // Whether changes on the server reach the client: the idle watcher or the poll.
    bool isPolling() const { return m_timer.isActive() || m_idle.isActive(); }
    // The tick's interval in ms (100 at first); 0 stops it while changes still come
    // through idle.
    void setTickInterval(int milliseconds);
    int tickInterval() const { return m_tickMs; }
    // Reads the status now and hands it to MPDCache (after a change, after a command).
    void refreshStatus();
    // Status exchanges made so far (tests count them).
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

    // One poll exchange; none when it failed (the flag is then cleared, the timer
    // stopped, the error reported and the retries begin).
    std::optional<MPDStatus> getStatus();
    void onTicTac();

    // Re-read what the status does not carry: the replay gain mode (it goes into every
    // later snapshot) and the audio outputs (outputsChanged when they differ).
    void refreshReplayGain();
    void refreshOutputs();
    const std::optional<QList<AudioOutput>> &outputs() const { return m_outputs; }
    static QString replayGainName(mpdc::ReplayGainMode mode);

    static constexpr unsigned timeoutMs = 3000;
    static constexpr int pollIntervalMs = 100;
    // Seconds between attempts after a loss: these, then the last one for good.
    static constexpr int retryDelays[] = {1, 2, 4, 8, 16, 30};
    // Tests shorten the wait between attempts (1000 in use).
    void setRetryUnitMs(int milliseconds) { m_retryUnitMs = milliseconds; }

  Q_SIGNALS:
    void linkChanged(kelvane::MPDSocket::Link link, const QString &detail);

  private:
    MPDSocket();
    ~MPDSocket() override;
    // Closes the connection without touching the retries.
    void close();
    void adopt(std::shared_ptr<mpdc::Connection> connection, const ServerTarget &target);
    // A connect that failed, or a connection that was lost: one alert per outage, then
    // the next attempt is scheduled unless the user disconnected.
    void failed(const mpdc::Failure &failure);
    void scheduleRetry();
    void setLink(Link link, const QString &detail);
    void onBulkFailure(const mpdc::Failure &failure);
    void openIdle();
    void onIdleChange(unsigned events);
    void onIdleLost();
    void restartTimer();
    MPDStatus interpolated() const;

    std::shared_ptr<mpdc::Connection> m_connection;
    bool m_connected = false;
    QTimer m_timer;
    QTimer m_retryTimer;
    // mpd closes a connection left unused for a minute: with changes coming through idle,
    // the first one could sit that long, so its status is read now and then.
    QTimer m_keepAlive;
    static constexpr int keepAliveMs = 30000;
    QThreadPool m_connector;
    ServerTarget m_target;
    Link m_link = Link::Off;
    QString m_linkDetail;
    QString m_lastFailure;
    bool m_wanted = false; // the user wants a connection (cleared by disconnect())
    bool m_outageReported = false;
    int m_retryStep = 0;
    int m_retryUnitMs = 1000;
    quint64 m_attempt = 0; // an answer of an older attempt is dropped
    QString m_replayGain;
    std::optional<QList<AudioOutput>> m_outputs;
    MPDIdle m_idle;
    int m_tickMs = pollIntervalMs;
    std::optional<MPDStatus> m_last; // the last status read, and when
    QElapsedTimer m_lastClock;
    quint64 m_statusReads = 0;
};

} // namespace kelvane
