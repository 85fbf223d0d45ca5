#include "core/library/ServerSong.h"

#include "core/library/MPDAlbum.h"
#include "mpdc/Records.h"

namespace kelvane {

Song songFromServer(const mpdc::SongInfo &info, SongReading reading) {
    Song song;
    song.setFullPath(info.uri);
    song.setComposer(info.composer);
    song.setAlbum(info.album);
    song.setTitle(info.title);
    song.setGenre(info.genre);
    song.setDuration(qint32(info.duration));
    song.setTrack(Song::integerValue(info.track));
    song.setDate(Song::integerValue(info.date));
    if (reading == SongReading::Playlist) {
        song.setArtist(info.albumArtist.isNull() ? info.artist : info.albumArtist);
        return song;
    }
    song.setArtist(info.artist);
    song.setAlbumArtist(info.albumArtist);
    if (reading == SongReading::Queue) return song;
    const QString extension = info.uri.isNull() ? QString() : MPDAlbum::extensionOf(info.uri);
    song.setExtension(extension);
    song.setComment(info.comment);
    song.setDiskNb(Song::integerValue(info.disc));
    // DSD is told by its lower-case extension only; "track.DSF" keeps the format's bits.
    const bool dsd = extension == QLatin1String("dsf") || extension == QLatin1String("dff");
    song.setBits(dsd ? 1 : info.bits);
    return song;
}

} // namespace kelvane
