#include "ui/NowPlayingText.h"

#include "core/mpd/MPDStatus.h"

#include "core/streams/MPDStream.h"

#include <QCoreApplication>

namespace kelvane::NowPlayingText {

QString timeText(qint64 minutes, qint64 seconds) {
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char(' '))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

QString elapsedText(quint32 milliseconds) {
    return timeText(milliseconds / 60000, (milliseconds / 1000) % 60);
}

QString totalText(qint32 seconds) {
    return timeText(seconds / 60, seconds % 60);
}

QString artistAndAlbum(const MPDStatus &status) {
    const bool hasArtist = !status.artist.isNull();
    const bool hasAlbum = !status.album.isNull();
    if (hasArtist && hasAlbum) return status.artist + QStringLiteral(" - ") + status.album;
    if (hasArtist) return status.artist;
    if (hasAlbum) return status.album;
    return QStringLiteral("");
}

bool isStream(const QString &path) {
    return path.startsWith(QLatin1String("http"));
}

QString songTitle(const MPDStatus &status, const std::optional<QList<Stream>> &savedStreams) {
    QString text = QStringLiteral(" ");
    if (status.state == PlayState::Stopped)
        text = QCoreApplication::translate("kelvane::NowPlayingText", "Stop");
    else if (status.state == PlayState::Playing || status.state == PlayState::Paused)
        text = status.title.isNull()
                   ? QCoreApplication::translate("kelvane::NowPlayingText", "Non renseigné")
                   : status.title;
    if (isStream(status.path) && savedStreams) {
        const QString name = MPDStream::streamNameForNowPlaying(*savedStreams, status.path);
        if (!name.isNull()) text = name;
    }
    return text;
}

} // namespace kelvane::NowPlayingText
