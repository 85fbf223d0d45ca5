#include "desktop/MprisMetadata.h"

#include "core/mpd/MPDStatus.h"

#include <QStringList>
#include <QUrl>

namespace kelvane::mpris {

namespace {
// A track number as tagged ("3", "3/12"); 0 when it holds no number.
int trackNumber(const QString &tag) {
    bool ok = false;
    const int number = tag.section(QLatin1Char('/'), 0, 0).trimmed().toInt(&ok);
    return ok && number > 0 ? number : 0;
}

void putText(QVariantMap &map, const char *key, const QString &value) {
    if (!value.isEmpty()) map.insert(QLatin1String(key), value);
}
} // namespace

bool hasTrack(const MPDStatus &status) {
    return !status.path.isEmpty() && status.titlePosition >= 0;
}

QDBusObjectPath trackId(const MPDStatus &status) {
    if (!hasTrack(status))
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    // The queue position names the entry: the same song queued twice is two tracks.
    return QDBusObjectPath(QStringLiteral("/org/kelvane/track/%1").arg(status.titlePosition));
}

QVariantMap metadata(const MPDStatus &status, const QString &artUrl) {
    QVariantMap map;
    if (!hasTrack(status)) return map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId(status)));
    putText(map, "xesam:title", status.title);
    // Lists of texts, as the interface wants them.
    if (!status.artist.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{status.artist});
    putText(map, "xesam:album", status.album);
    if (!status.albumArtist.isEmpty())
        map.insert(QStringLiteral("xesam:albumArtist"), QStringList{status.albumArtist});
    // A stream's address is already a URL; a song is a path under the server's music
    // directory, which the desktop only knows by that path.
    const bool stream = status.path.contains(QLatin1String("://"));
    map.insert(QStringLiteral("xesam:url"), stream ? status.path
                                                   : QUrl(QStringLiteral("mpd:///"))
                                                         .resolved(QUrl::fromLocalFile(status.path))
                                                         .toString(QUrl::FullyEncoded));
    if (status.totalTime > 0)
        map.insert(QStringLiteral("mpris:length"), qlonglong(status.totalTime) * 1000000);
    if (const int number = trackNumber(status.track); number > 0)
        map.insert(QStringLiteral("xesam:trackNumber"), number);
    if (!artUrl.isEmpty()) map.insert(QStringLiteral("mpris:artUrl"), artUrl);
    return map;
}

QString playbackStatus(qint32 state) {
    if (state == PlayState::Playing) return QStringLiteral("Playing");
    if (state == PlayState::Paused) return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

QString loopStatus(const PlayerOptions &options) {
    if (!options.repeat) return QStringLiteral("None");
    return options.single == 1 ? QStringLiteral("Track") : QStringLiteral("Playlist");
}

std::optional<LoopModes> modesForLoop(const QString &loop) {
    if (loop == QLatin1String("None")) return LoopModes{false, 0};
    if (loop == QLatin1String("Track")) return LoopModes{true, 1};
    if (loop == QLatin1String("Playlist")) return LoopModes{true, 0};
    return std::nullopt;
}

} // namespace kelvane::mpris
