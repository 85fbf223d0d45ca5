#pragma once

#include "core/mpd/MPDStatus.h"
#include "core/mpd/PlayerEvents.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
enum class ReplayGainMode;
}

// Owns the one connection to the server, the connected flag and the 0.1 s poll timer.
// GUI thread; the connection itself serialises its exchanges, so the database update's
// worker may use it too.
class MPDSocket : public QObject {
    Q_OBJECT
public:
    // The first call reloads the settings and makes the first connection attempt.
    static MPDSocket &sMPDSocket();

    // Opens a fresh connection (closing a live one first, so there is never a second
    // timer) and starts polling on success; failures go to the error reporter. Always 0.
    int connect();
    void disconnect();
    // True when the flag is set, the connection holds no error and its pending answer
    // (if any) can be drained.
    bool isConnected();
    // The current connection, possibly one in error state; null before the first connect.
    mpdc::Connection *getConnection() const { return m_connection.get(); }
    void stopTimer();
    bool isPolling() const { return m_timer.isActive(); }

    // One poll exchange; none when it failed (the flag is then cleared, the timer
    // stopped and the error reported).
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

private:
    MPDSocket();
    ~MPDSocket() override;
    std::unique_ptr<mpdc::Connection> m_connection;
    bool m_connected = false;
    QString m_replayGain;
    std::optional<QList<AudioOutput>> m_outputs;
    QTimer m_timer;
};

} // namespace kelvane
