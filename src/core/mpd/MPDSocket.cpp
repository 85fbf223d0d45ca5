#include "core/mpd/MPDSocket.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/PlayerEvents.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"

#include <QDebug>

namespace kelvane {

MPDSocket &MPDSocket::sMPDSocket()
{
    static MPDSocket *instance = [] {
        auto *socket = new MPDSocket; // lives for the process, like every service
        socket->connect();
        return socket;
    }();
    return *instance;
}

MPDSocket::MPDSocket()
{
    Setting::sSetting().reload();
    m_timer.setInterval(pollIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, &MPDSocket::onTicTac);
}

MPDSocket::~MPDSocket() = default;

int MPDSocket::connect()
{
    disconnect();
    const Setting &setting = Setting::sSetting();
    m_connection = mpdc::Connection::open(setting.host(), setting.port(), timeoutMs);
    if (m_connection->hasError()) {
        MPDServerError::sMPDServerError().send(*m_connection);
        return 0;
    }
    // A stored password is sent at once; a refused one makes the connect a failure
    // with its one alert, rather than a session whose every command is denied.
    if (Setting::sSetting().hasPass() && !m_connection->password(Setting::sSetting().pass())) {
        MPDServerError::sMPDServerError().send(*m_connection);
        m_connection.reset();
        return 0;
    }
    // A command the server refuses is reported once and cleared by the connection;
    // polling goes on.
    m_connection->setRefusalHandler([](const QString &message) {
        MPDServerError::sMPDServerError().sendMessage(message);
    });
    m_connected = true;
    // A new connection announces the modes and outputs it finds, changed or not.
    MPDCache::sMPDCache().resetOptions();
    m_outputs.reset();
    refreshReplayGain();
    refreshOutputs();
    m_timer.start();
    return 0;
}

QString MPDSocket::replayGainName(mpdc::ReplayGainMode mode)
{
    switch (mode) {
    case mpdc::ReplayGainMode::Track: return QStringLiteral("track");
    case mpdc::ReplayGainMode::Album: return QStringLiteral("album");
    case mpdc::ReplayGainMode::Auto: return QStringLiteral("auto");
    case mpdc::ReplayGainMode::Off: break;
    }
    return QStringLiteral("off");
}

void MPDSocket::refreshReplayGain()
{
    if (!m_connection)
        return;
    // Not in the status: read apart, when the modes may have changed.
    if (const auto mode = m_connection->replayGainMode())
        m_replayGain = replayGainName(*mode);
}

void MPDSocket::refreshOutputs()
{
    if (!m_connection)
        return;
    const auto outputs = m_connection->outputs();
    if (!outputs)
        return;
    QList<AudioOutput> list;
    for (const mpdc::OutputInfo &info : *outputs)
        list.append({info.id, info.name, info.plugin, info.enabled});
    if (m_outputs && *m_outputs == list)
        return;
    m_outputs = list;
    Q_EMIT PlayerEvents::sPlayerEvents().outputsChanged(list);
}

void MPDSocket::disconnect()
{
    if (!m_connected)
        return;
    stopTimer();
    m_connection.reset();
    m_connected = false;
}

bool MPDSocket::isConnected()
{
    if (!m_connected || !m_connection)
        return false;
    if (m_connection->hasError())
        return false;
    return m_connection->finishResponse();
}

void MPDSocket::stopTimer()
{
    m_timer.stop();
}

void MPDSocket::onTicTac()
{
    MPDCache::sMPDCache().setStatus(getStatus());
}

std::optional<MPDStatus> MPDSocket::getStatus()
{
    if (!m_connection)
        return std::nullopt;
    const mpdc::PollResult poll = m_connection->poll();
    if (!poll.statusOk) {
        m_connected = false;
        stopTimer();
        MPDServerError::sMPDServerError().send(*m_connection);
        return std::nullopt;
    }
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
            status.path = song.uri;
        }
    }
    return status;
}

} // namespace kelvane
