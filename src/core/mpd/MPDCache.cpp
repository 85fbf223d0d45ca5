#include "core/mpd/MPDCache.h"

#include "core/mpd/PlayerEvents.h"

namespace kelvane {

MPDCache &MPDCache::sMPDCache() {
    static MPDCache instance;
    return instance;
}

QString MPDCache::trackKey(const MPDStatus &status) {
    // An absent text always contributes the same placeholder, so two snapshots of
    // one untagged song give one key.
    const auto text = [](const QString &s) { return s.isNull() ? QStringLiteral("(null)") : s; };
    return text(status.album) + text(status.title) + QString::number(status.titlePosition);
}

void MPDCache::setStatus(const std::optional<MPDStatus> &status) {
    m_status = status;
    m_progressBarloop = !m_progressBarloop;
    if (!status) return;
    const MPDStatus snapshot = *status; // listeners may replace m_status re-entrantly
    PlayerEvents &events = PlayerEvents::sPlayerEvents();

    if (m_progressBarloop && m_delegate) m_delegate->onProgressChange(snapshot);

    const QString key = trackKey(snapshot);
    if (!m_actualTrack || *m_actualTrack != key) {
        if (m_delegate) m_delegate->onTrackChange(snapshot);
        if (m_delegateQueue) m_delegateQueue->onTrackChange(snapshot.titlePosition);
        m_currentPosition = snapshot.titlePosition;
        m_actualTrack = key;
        Q_EMIT events.trackChanged(snapshot);
    }

    // The volume is compared as the unsigned number it arrives as, so a server without
    // a mixer (-1, arriving as 4294967295) is reported once.
    if (snapshot.volume != quint32(m_currentVolume)) {
        if (m_delegate) m_delegate->onVolumeChange(snapshot.volume);
        m_currentVolume = qint32(snapshot.volume);
        Q_EMIT events.volumeChanged(snapshot.volume);
    }

    if (snapshot.state != m_statePlayer) {
        if (m_delegateQueue) m_delegateQueue->onStateChange(snapshot.state, snapshot.titlePosition);
        if (m_delegate) m_delegate->onStateChange(snapshot.state);
        m_statePlayer = snapshot.state;
        Q_EMIT events.stateChanged(snapshot.state);
    }

    const PlayerOptions options = PlayerOptions::of(snapshot);
    if (!m_options || *m_options != options) {
        m_options = options;
        Q_EMIT events.optionsChanged(options);
    }
    Q_EMIT events.statusChanged(snapshot);
}

void MPDCache::resetStatus() {
    m_actualTrack.reset();
    m_statePlayer = -1;
}

void MPDCache::dbUpdated() {
    if (m_delegateAlbum) m_delegateAlbum->onDbUpdate();
    if (m_delegate) m_delegate->onAlbumUpdateTrigger(QStringLiteral("dbUpdateFinish"));
}

void MPDCache::albumUpdateTrigger(const QString &text) {
    if (m_delegate) m_delegate->onAlbumUpdateTrigger(text);
}

void MPDCache::streamUpdateTrigger() {
    if (m_delegateStream) m_delegateStream->onStreamChange();
}

void MPDCache::radioLinkTrigger(const Radio &radio) {
    if (m_delegateRadio) m_delegateRadio->onRadioLinkClick(radio);
}

} // namespace kelvane
