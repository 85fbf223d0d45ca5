#include "desktop/MprisAdaptors.h"

#include "desktop/MprisService.h"

namespace kelvane {

MprisRoot::MprisRoot(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}

QStringList MprisRoot::supportedMimeTypes() const {
    // What a stream address may serve; the server decides what it can decode.
    return {QStringLiteral("audio/mpeg"),      QStringLiteral("audio/aac"),
            QStringLiteral("audio/ogg"),       QStringLiteral("audio/flac"),
            QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/x-scpls")};
}

void MprisRoot::Raise() {
    m_service->raise();
}
void MprisRoot::Quit() {
    m_service->quit();
}

MprisPlayer::MprisPlayer(MprisService *service)
    : QDBusAbstractAdaptor(service), m_service(service) {
    connect(service, &MprisService::seeked, this, &MprisPlayer::Seeked);
}

QVariant MprisPlayer::property(const char *name) const {
    return m_service->playerProperties().value(QLatin1String(name));
}

QString MprisPlayer::playbackStatus() const {
    return property("PlaybackStatus").toString();
}
QString MprisPlayer::loopStatus() const {
    return property("LoopStatus").toString();
}
bool MprisPlayer::shuffle() const {
    return property("Shuffle").toBool();
}
QVariantMap MprisPlayer::metadata() const {
    return property("Metadata").toMap();
}
double MprisPlayer::volume() const {
    return property("Volume").toDouble();
}
qlonglong MprisPlayer::position() const {
    return m_service->position();
}
bool MprisPlayer::canGoNext() const {
    return property("CanGoNext").toBool();
}
bool MprisPlayer::canGoPrevious() const {
    return property("CanGoPrevious").toBool();
}
bool MprisPlayer::canPlay() const {
    return property("CanPlay").toBool();
}
bool MprisPlayer::canPause() const {
    return property("CanPause").toBool();
}
bool MprisPlayer::canSeek() const {
    return property("CanSeek").toBool();
}

void MprisPlayer::setLoopStatus(const QString &loop) {
    m_service->setLoopStatus(loop);
}
void MprisPlayer::setShuffle(bool on) {
    m_service->setShuffle(on);
}
void MprisPlayer::setVolume(double volume) {
    m_service->setVolume(volume);
}

void MprisPlayer::Next() {
    m_service->next();
}
void MprisPlayer::Previous() {
    m_service->previous();
}
void MprisPlayer::Pause() {
    m_service->pause();
}
void MprisPlayer::PlayPause() {
    m_service->playPause();
}
void MprisPlayer::Stop() {
    m_service->stop();
}
void MprisPlayer::Play() {
    m_service->play();
}
void MprisPlayer::Seek(qlonglong Offset) {
    m_service->seek(Offset);
}

void MprisPlayer::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position) {
    m_service->setPosition(TrackId.path(), Position);
}

void MprisPlayer::OpenUri(const QString &Uri) {
    if (!m_service->openUri(Uri))
        m_service->refuseCall(QStringLiteral("Seules les adresses http et https sont acceptées."));
}

} // namespace kelvane
