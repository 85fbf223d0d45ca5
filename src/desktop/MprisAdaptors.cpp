#include "desktop/MprisAdaptors.h"

#include "desktop/MprisService.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QMetaProperty>

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
        m_service->refuseCall(QDBusError::InvalidArgs,
                              tr("Seules les adresses http et https sont acceptées."));
}

MprisProperties::MprisProperties(MprisService *service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

namespace {
QString interfaceOf(const QObject *adaptor) {
    const QMetaObject *meta = adaptor->metaObject();
    const int index = meta->indexOfClassInfo("D-Bus Interface");
    return index < 0 ? QString() : QString::fromLatin1(meta->classInfo(index).value());
}

// The adaptor's own properties (not QObject's objectName).
int ownProperty(const QObject *adaptor, const QString &name) {
    const QMetaObject *meta = adaptor->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    return index >= meta->propertyOffset() ? index : -1;
}

// The D-Bus type a value came with: a basic type as QtDBus unpacked it, anything else
// (arrays, structures) still packed.
QByteArray signatureOf(const QVariant &value) {
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return qvariant_cast<QDBusArgument>(value).currentSignature().toLatin1();
    const char *signature = QDBusMetaType::typeToSignature(value.metaType());
    return signature ? QByteArray(signature) : QByteArray();
}
} // namespace

QDBusAbstractAdaptor *MprisProperties::adaptorOf(const QString &interface, const QString &name) {
    bool interfaceFound = false;
    for (QObject *child : m_service->children()) {
        auto *adaptor = qobject_cast<QDBusAbstractAdaptor *>(child);
        if (!adaptor || adaptor == this) continue;
        if (!interface.isEmpty() && interfaceOf(adaptor) != interface) continue;
        interfaceFound = true;
        if (ownProperty(adaptor, name) >= 0) return adaptor;
    }
    if (interfaceFound || interface.isEmpty())
        m_service->refuseCall(QDBusError::UnknownProperty, tr("Propriété inconnue : %1").arg(name));
    else
        m_service->refuseCall(QDBusError::UnknownInterface,
                              tr("Interface inconnue : %1").arg(interface));
    return nullptr;
}

QDBusVariant MprisProperties::Get(const QString &interface, const QString &name) {
    QDBusAbstractAdaptor *adaptor = adaptorOf(interface, name);
    if (!adaptor) return {};
    return QDBusVariant(adaptor->metaObject()->property(ownProperty(adaptor, name)).read(adaptor));
}

QVariantMap MprisProperties::GetAll(const QString &interface) {
    QVariantMap all;
    bool found = false;
    for (QObject *child : m_service->children()) {
        auto *adaptor = qobject_cast<QDBusAbstractAdaptor *>(child);
        if (!adaptor || adaptor == this) continue;
        if (!interface.isEmpty() && interfaceOf(adaptor) != interface) continue;
        found = true;
        const QMetaObject *meta = adaptor->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            all.insert(QString::fromLatin1(meta->property(i).name()),
                       meta->property(i).read(adaptor));
    }
    if (!found)
        m_service->refuseCall(QDBusError::UnknownInterface,
                              tr("Interface inconnue : %1").arg(interface));
    return all;
}

void MprisProperties::Set(const QString &interface, const QString &name,
                          const QDBusVariant &value) {
    QDBusAbstractAdaptor *adaptor = adaptorOf(interface, name);
    if (!adaptor) return;
    QMetaProperty property = adaptor->metaObject()->property(ownProperty(adaptor, name));
    if (!property.isWritable()) {
        m_service->refuseCall(QDBusError::PropertyReadOnly,
                              tr("Propriété en lecture seule : %1").arg(name));
        return;
    }
    const QByteArray wanted = QDBusMetaType::typeToSignature(property.metaType());
    if (signatureOf(value.variant()) != wanted) {
        m_service->refuseCall(QDBusError::InvalidArgs,
                              tr("La propriété %1 attend une valeur de type « %2 ».")
                                  .arg(name, QString::fromLatin1(wanted)));
        return;
    }
    // The setter may still refuse the value itself (an unknown LoopStatus).
    property.write(adaptor, value.variant());
}

} // namespace kelvane
