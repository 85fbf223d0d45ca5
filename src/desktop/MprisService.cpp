#include "desktop/MprisService.h"

#include "core/mpd/MPDStatus.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/PlayerEvents.h"
#include "desktop/CoverFile.h"
#include "desktop/MprisAdaptors.h"
#include "desktop/MprisMetadata.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QUrl>
#include <QtNumeric>
#include <cmath>
#include <limits>

namespace kelvane {

namespace {
constexpr quint32 noMixer = 4294967295u;

bool isPlayingOrPaused(const MPDStatus &s) {
    return s.state == PlayState::Playing || s.state == PlayState::Paused;
}
} // namespace

MprisService::MprisService(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus) {
    new MprisRoot(this);
    new MprisPlayer(this);
    new MprisProperties(this);
    PlayerEvents &events = PlayerEvents::sPlayerEvents();
    connect(&events, &PlayerEvents::statusChanged, this, &MprisService::onStatus);
    connect(&MPDSocket::sMPDSocket(), &MPDSocket::linkChanged, this,
            [this](MPDSocket::Link link, const QString &) { onLink(link); });
    // A cover that was missing may be found now.
    connect(&CoverFile::shared(), &CoverFile::invalidated, this, [this] {
        if (!m_artPath.isEmpty()) updateArt(m_artPath);
    });
    m_status = MPDCache::sMPDCache().getStatus();
    m_statusClock.start();
    if (m_status) updateArt(m_status->path);
    m_announced = playerProperties();
}

MprisService::~MprisService() {
    if (!m_registered) return;
    m_bus.unregisterService(serviceName());
    m_bus.unregisterObject(objectPath());
}

bool MprisService::start(QString *problem) {
    if (!m_bus.isConnected()) {
        *problem = QStringLiteral("no session bus");
        return false;
    }
    if (!m_bus.registerObject(objectPath(), this, QDBusConnection::ExportAdaptors)) {
        *problem = QStringLiteral("the object path is taken");
        return false;
    }
    if (!m_bus.registerService(serviceName())) {
        *problem = m_bus.lastError().message();
        m_bus.unregisterObject(objectPath());
        return false;
    }
    m_registered = true;
    return true;
}

QVariantMap MprisService::playerProperties() const {
    const MPDStatus none;
    const MPDStatus &s = m_status ? *m_status : none;
    const PlayerOptions options = PlayerOptions::of(s);
    const bool track = m_status && mpris::hasTrack(s);
    const bool queued = m_status && s.queueLength > 0;
    // As MPDCommand::next() decides: past the last entry only when the server goes on.
    const bool more = qint64(s.titlePosition) < qint64(s.queueLength) - 1 || s.repeat || s.random;
    return {
        {QStringLiteral("PlaybackStatus"), mpris::playbackStatus(s.state)},
        {QStringLiteral("LoopStatus"), mpris::loopStatus(options)},
        {QStringLiteral("Shuffle"), s.random},
        {QStringLiteral("Metadata"), mpris::metadata(s, m_artUrl)},
        {QStringLiteral("Volume"), s.volume == noMixer || !m_status ? 0.0 : s.volume / 100.0},
        {QStringLiteral("CanGoNext"), track && isPlayingOrPaused(s) && more},
        {QStringLiteral("CanGoPrevious"), track && isPlayingOrPaused(s)},
        {QStringLiteral("CanPlay"), queued},
        {QStringLiteral("CanPause"), queued},
        // The server seeks only within a playing song of known length.
        {QStringLiteral("CanSeek"), track && s.state == PlayState::Playing && s.totalTime > 0},
    };
}

qlonglong MprisService::position() const {
    if (!m_status || !mpris::hasTrack(*m_status)) return 0;
    qint64 ms = m_status->elapsedTime;
    if (m_status->state == PlayState::Playing) ms += m_statusClock.elapsed();
    if (m_status->totalTime > 0) ms = std::min<qint64>(ms, qint64(m_status->totalTime) * 1000);
    return ms * 1000;
}

void MprisService::onStatus(const MPDStatus &status) {
    detectSeek(status);
    // The clock moving on changes none of the announced properties (the position is
    // read, never announced): nothing to compare then, on every tick of a shown window.
    MPDStatus sameTime = status;
    if (m_status) sameTime.elapsedTime = m_status->elapsedTime;
    const bool onlyTheClock = m_status && sameTime == *m_status;
    m_status = status;
    m_statusClock.restart();
    if (onlyTheClock) return;
    if (status.path != m_artPath) updateArt(status.path);
    announce();
}

void MprisService::onLink(MPDSocket::Link link) {
    if (link == MPDSocket::Link::Up || link == MPDSocket::Link::Connecting) return;
    // Without a server there is nothing playing to show or drive.
    m_status.reset();
    updateArt({});
    announce();
}

void MprisService::detectSeek(const MPDStatus &status) {
    if (!m_status || !isPlayingOrPaused(status) ||
        mpris::trackId(status) != mpris::trackId(*m_status) || status.path != m_status->path)
        return;
    qint64 expected = m_status->elapsedTime;
    if (m_status->state == PlayState::Playing) expected += m_statusClock.elapsed();
    if (std::llabs(qint64(status.elapsedTime) - expected) > seekToleranceMs)
        Q_EMIT seeked(qlonglong(status.elapsedTime) * 1000);
}

void MprisService::updateArt(const QString &songPath) {
    m_artPath = songPath;
    m_artUrl = CoverFile::shared().urlFor(songPath);
    // Found the way the now-playing bar finds it, and handed over as a file of our own:
    // announced when it is written (at once when it is already).
    const quint64 ticket = ++m_artTicket;
    CoverFile::shared().request(songPath, this, [this, ticket](const QString &url) {
        if (ticket != m_artTicket || url == m_artUrl) return;
        m_artUrl = url;
        announce();
    });
}

void MprisService::announce() {
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_announced.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    m_announced = now;
    if (changed.isEmpty() || !m_registered) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << playerInterface() << changed << QStringList();
    m_bus.send(signal);
}

// --- commands

void MprisService::setLoopStatus(const QString &loop) {
    const std::optional<mpris::LoopModes> modes = mpris::modesForLoop(loop);
    if (!modes) {
        refuseCall(QDBusError::InvalidArgs,
                   tr("LoopStatus vaut « None », « Track » ou « Playlist »."));
        return;
    }
    MPDCommand &command = MPDCommand::sMPDCommand();
    command.setSingle(modes->single);
    command.setRepeat(modes->repeat);
}

void MprisService::setShuffle(bool on) {
    MPDCommand::sMPDCommand().setRandom(on);
}

void MprisService::setVolume(double volume) {
    if (!std::isfinite(volume)) {
        refuseCall(QDBusError::InvalidArgs, tr("Volume attend un nombre fini."));
        return;
    }
    if (!m_status || m_status->volume == noMixer) return;
    MPDCommand::sMPDCommand().setVolume(quint32(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void MprisService::playPause() {
    MPDCommand::sMPDCommand().play();
}

void MprisService::play() {
    if (m_status && m_status->state == PlayState::Playing) return;
    MPDCommand::sMPDCommand().play();
}

void MprisService::pause() {
    if (m_status && m_status->state == PlayState::Playing) MPDCommand::sMPDCommand().play();
}

void MprisService::stop() {
    MPDCommand::sMPDCommand().stop();
}

void MprisService::next() {
    MPDCommand::sMPDCommand().next();
}

void MprisService::previous() {
    MPDCommand::sMPDCommand().previous();
}

void MprisService::seek(qlonglong offset) {
    if (!m_status || !mpris::hasTrack(*m_status) || m_status->totalTime <= 0) return;
    // Any offset a client sends, the largest ones too: the sum saturates instead of
    // wrapping round to the start of the song.
    qint64 target = 0;
    if (qAddOverflow<qint64>(position(), offset, &target))
        target = offset > 0 ? std::numeric_limits<qint64>::max() : 0;
    target = std::max<qint64>(0, target);
    // Past the end is the next song, as the interface says.
    if (target > qint64(m_status->totalTime) * 1000000) {
        next();
        return;
    }
    MPDCommand::sMPDCommand().seekPosition(float(double(target) / 1e6));
}

void MprisService::setPosition(const QString &trackId, qlonglong position) {
    // A request made for a song that has since changed is stale: ignored.
    if (!m_status || trackId != mpris::trackId(*m_status).path() || !mpris::hasTrack(*m_status))
        return;
    if (position < 0 || m_status->totalTime <= 0 ||
        position > qint64(m_status->totalTime) * 1000000)
        return;
    MPDCommand::sMPDCommand().seekPosition(float(double(position) / 1e6));
}

void MprisService::refuseCall(QDBusError::ErrorType error, const QString &message) {
    // QtDBus hands the call's context to the registered object, not to its adaptors.
    if (calledFromDBus()) sendErrorReply(error, message);
}

bool MprisService::openUri(const QString &uri) {
    // The address goes to the server as one protocol argument: nothing but a well-formed
    // web address, without control characters, ever reaches it.
    if (uri.size() > 4096) return false;
    for (QChar c : uri)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    const QUrl url(uri, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    MPDCommand::sMPDCommand().playStream(uri);
    return true;
}

} // namespace kelvane
