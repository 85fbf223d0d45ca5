#include "desktop/TrackNotifier.h"

#include "core/mpd/MPDStatus.h"

#include "core/mpd/MPDSocket.h"
#include "core/mpd/PlayerEvents.h"
#include "core/settings/Setting.h"
#include "desktop/CoverFile.h"
#include "desktop/MprisMetadata.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QUrl>

namespace kelvane {

TrackNotifier::TrackNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus) {
    m_coverWait.setSingleShot(true);
    m_coverWait.setInterval(coverWaitMs);
    connect(&m_coverWait, &QTimer::timeout, this, &TrackNotifier::send);
    connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::trackChanged, this,
            &TrackNotifier::onTrack);
    connect(&MPDSocket::sMPDSocket(), &MPDSocket::linkChanged, this,
            [this](MPDSocket::Link link, const QString &) {
                if (link != MPDSocket::Link::Up) m_seenTrack = false;
            });
}

TrackNotifier::~TrackNotifier() = default;

void TrackNotifier::onTrack(const MPDStatus &status) {
    const bool first = !m_seenTrack;
    m_seenTrack = true;
    ++m_coverTicket;
    m_coverWait.stop();
    // Off by default: read at each change, so the preferences window needs no signal.
    if (first || !Setting::sSetting().notifyTrackChange() || !mpris::hasTrack(status) ||
        status.state != PlayState::Playing)
        return;
    m_pending = status;
    m_coverUrl.clear();
    // The cover as the now-playing bar finds it, waited for a moment (it is usually in
    // a cache): a notice without it beats a late one.
    m_coverWait.start();
    const quint64 ticket = m_coverTicket;
    CoverFile::shared().request(status.path, this, [this, ticket](const QString &url) {
        if (ticket != m_coverTicket || !m_coverWait.isActive()) return;
        m_coverWait.stop();
        m_coverUrl = url;
        send();
    });
}

namespace {
// The body may be read as markup by the notification server.
QString plain(const QString &text) {
    return text.toHtmlEscaped();
}
} // namespace

void TrackNotifier::send() {
    const MPDStatus &s = m_pending;
    QString title = s.title.isEmpty() ? s.path.section(QLatin1Char('/'), -1) : s.title;
    QStringList body;
    if (!s.artist.isEmpty()) body << plain(s.artist);
    if (!s.album.isEmpty()) body << plain(s.album);
    const QString &cover = m_coverUrl;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("kelvane")},
                      {QStringLiteral("category"), QStringLiteral("x-kelvane.track")},
                      {QStringLiteral("transient"), true}};
    if (!cover.isEmpty()) hints.insert(QStringLiteral("image-path"), cover);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Kelvane") << m_lastId
         << (cover.isEmpty() ? QStringLiteral("kelvane") : cover) << title
         << body.join(QStringLiteral(" — ")) << QStringList() << hints << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<quint32> reply = *w;
        // Without a notification server the change simply goes unannounced.
        if (reply.isValid()) m_lastId = reply.value();
        w->deleteLater();
    });
}

} // namespace kelvane
