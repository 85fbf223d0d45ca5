#include "mpdc/SongConversion.h"

#include "mpdc/Handles.h"

#include <QStringDecoder>
#include <cstring>
#include <limits>

namespace kelvane::mpdc {

// Invalid UTF-8 gives an absent text, so a broken tag never shows as mojibake.
QString fromUtf8OrNull(const char *text) {
    if (!text) return QString();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString decoded = decoder(QByteArrayView(text, qsizetype(std::strlen(text))));
    if (decoder.hasError()) return QString();
    if (decoded.isNull()) decoded = QString(QLatin1String(""));
    return decoded;
}

namespace {
QString utf8OrNull(const char *text) {
    return fromUtf8OrNull(text);
}

QString tag(const mpd_song &song, mpd_tag_type type) {
    return utf8OrNull(mpd_song_get_tag(&song, type, 0));
}
} // namespace

SongInfo songFrom(const mpd_song &song) {
    SongInfo info;
    info.uri = utf8OrNull(mpd_song_get_uri(&song));
    info.artist = tag(song, MPD_TAG_ARTIST);
    info.album = tag(song, MPD_TAG_ALBUM);
    info.albumArtist = tag(song, MPD_TAG_ALBUM_ARTIST);
    info.title = tag(song, MPD_TAG_TITLE);
    info.track = tag(song, MPD_TAG_TRACK);
    info.genre = tag(song, MPD_TAG_GENRE);
    info.date = tag(song, MPD_TAG_DATE);
    info.composer = tag(song, MPD_TAG_COMPOSER);
    info.comment = tag(song, MPD_TAG_COMMENT);
    info.disc = tag(song, MPD_TAG_DISC);
    info.duration = mpd_song_get_duration(&song);
    if (const mpd_audio_format *format = mpd_song_get_audio_format(&song)) info.bits = format->bits;
    info.position = int(mpd_song_get_pos(&song));
    info.id = mpd_song_get_id(&song);
    info.lastModified = qint64(mpd_song_get_last_modified(&song));
    if (info.id == 0) info.position = -1;
    return info;
}

StatusInfo statusFrom(const mpd_status &status) {
    StatusInfo info;
    info.elapsedMs = mpd_status_get_elapsed_ms(&status);
    info.totalTime = mpd_status_get_total_time(&status);
    info.songPos = mpd_status_get_song_pos(&status);
    info.state = int(mpd_status_get_state(&status));
    info.volume = mpd_status_get_volume(&status);
    info.queueLength = mpd_status_get_queue_length(&status);
    info.queueVersion = mpd_status_get_queue_version(&status);
    info.updateId = mpd_status_get_update_id(&status);
    info.random = mpd_status_get_random(&status);
    info.repeat = mpd_status_get_repeat(&status);
    info.consume = mpd_status_get_consume(&status);
    switch (mpd_status_get_single_state(&status)) {
    case MPD_SINGLE_ON:
        info.single = SingleMode::On;
        break;
    case MPD_SINGLE_ONESHOT:
        info.single = SingleMode::Oneshot;
        break;
    default:
        info.single = SingleMode::Off;
        break;
    }
    info.crossfade = mpd_status_get_crossfade(&status);
    return info;
}

bool isPlausible(const StatusInfo &status) {
    if (status.volume < -1 || status.volume > 100) return false;
    if (status.queueLength > maxQueueLength) return false;
    if (status.songPos < -1 ||
        (status.songPos >= 0 && quint32(status.songPos) >= status.queueLength))
        return false;
    return status.elapsedMs <= quint32(std::numeric_limits<qint32>::max());
}

Entity entityFrom(const mpd_entity &entity) {
    Entity out;
    switch (mpd_entity_get_type(&entity)) {
    case MPD_ENTITY_TYPE_DIRECTORY:
        out.type = Entity::Type::Directory;
        out.path = utf8OrNull(mpd_directory_get_path(mpd_entity_get_directory(&entity)));
        break;
    case MPD_ENTITY_TYPE_SONG:
        out.type = Entity::Type::Song;
        out.song = songFrom(*mpd_entity_get_song(&entity));
        out.path = out.song.uri;
        break;
    case MPD_ENTITY_TYPE_PLAYLIST:
        out.type = Entity::Type::Playlist;
        out.path = utf8OrNull(mpd_playlist_get_path(mpd_entity_get_playlist(&entity)));
        break;
    default:
        break;
    }
    return out;
}

} // namespace kelvane::mpdc
