#include "ui/views/library/PlayingMarks.h"

#include "core/mpd/MPDStatus.h"

namespace kelvane::playingmarks {

namespace {
// Absent status texts compare like the empty texts a Song reads for missing tags.
QString text(const QString &value) {
    return value.isNull() ? QStringLiteral("") : value;
}
} // namespace

QString rowArtist(const Song &song) {
    const QString albumArtist = song.albumArtist();
    return albumArtist.isEmpty() ? song.artist() : albumArtist;
}

QString statusArtist(const MPDStatus &status, const Song &row) {
    return text(row.albumArtist().isEmpty() ? status.artist : status.albumArtist);
}

bool isActive(const MPDStatus &status) {
    return status.state == PlayState::Playing || status.state == PlayState::Paused;
}

bool isQueueCurrent(const Song &row, const MPDStatus &status) {
    if (status.title.isEmpty()) return false;
    return status.title == row.title() && statusArtist(status, row) == rowArtist(row);
}

AlbumRowMarks albumRowMarks(const Song &row, const MPDStatus &status) {
    // No current song: nothing plays, however the row's empty tags would compare.
    if (!isActive(status) || status.path.isNull()) return {};
    const bool sameSong =
        text(status.title) == row.title() && statusArtist(status, row) == rowArtist(row);
    return {sameSong && text(status.album) == row.album(), sameSong};
}

bool isStreamPath(const QString &path) {
    return path.size() > 4 && path.startsWith(QLatin1String("http"));
}

} // namespace kelvane::playingmarks
