#include "core/library/MPDAlbum.h"

#include "core/library/AlbumIndex.h"
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

#include <QSet>

namespace kelvane {

namespace {
// Directories per pipelined "lsinfo" batch: large enough that round trips vanish from
// the figures, small enough that only one batch of songs is held in memory at a time.
constexpr qsizetype directoriesPerBatch = 256;
} // namespace

MPDAlbum &MPDAlbum::sMPDAlbum() {
    static MPDAlbum instance;
    return instance;
}

QString MPDAlbum::directoryOf(const QString &uri) {
    const qsizetype slash = uri.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString(QLatin1String("")) : uri.left(slash);
}

QString MPDAlbum::extensionOf(const QString &uri) {
    const qsizetype slash = uri.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = uri.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash) return QString(QLatin1String(""));
    return uri.mid(dot + 1);
}

Song MPDAlbum::getSongValues(const mpdc::SongInfo &info) {
    Song song;
    song.setFullPath(info.uri);
    const QString extension = info.uri.isNull() ? QString() : extensionOf(info.uri);
    song.setExtension(extension);
    song.setComposer(info.composer);
    song.setAlbumArtist(info.albumArtist);
    song.setArtist(info.artist);
    song.setAlbum(info.album);
    song.setTitle(info.title);
    song.setGenre(info.genre);
    song.setComment(info.comment);
    song.setDuration(qint32(info.duration));
    song.setTrack(Song::integerValue(info.track));
    song.setDate(Song::integerValue(info.date));
    song.setDiskNb(Song::integerValue(info.disc));
    // DSD is told by its lower-case extension only; "track.DSF" keeps the format's bits.
    const bool dsd = extension == QLatin1String("dsf") || extension == QLatin1String("dff");
    song.setBits(dsd ? 1 : info.bits);
    return song;
}

std::optional<QList<Album>> MPDAlbum::getAlbumsList() {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return std::nullopt;
    mpdc::Connection *connection = socket.getConnection();

    // One "listall" for the directories that hold songs (in order of first appearance),
    // then one "lsinfo" per directory. A single "listallinfo" would be one exchange, but
    // its answer overflows the server's output buffer on large libraries.
    const auto uris = connection->listAllSongUris(QString());
    if (!uris) return std::nullopt;
    QStringList directories;
    QSet<QString> seen;
    for (const QString &uri : *uris) {
        QString directory = directoryOf(uri);
        if (!seen.contains(directory)) {
            seen.insert(directory);
            directories << std::move(directory);
        }
    }

    // Each batch is one exchange on its own; the GUI thread may interleave its commands
    // between two batches, which changes nothing here.
    AlbumIndex index;
    for (qsizetype start = 0; start < directories.size(); start += directoriesPerBatch) {
        const QStringList batch = directories.mid(start, directoriesPerBatch);
        if (auto listings = connection->listAlbumTagsMany(batch, int(directoriesPerBatch))) {
            for (qsizetype i = 0; i < batch.size(); ++i)
                for (const mpdc::SongInfo &song : (*listings)[size_t(i)])
                    index.add(batch[i], song);
            continue;
        }
        if (connection->hasError())
            return std::nullopt; // the connection broke: the poll reports it
        // A directory vanished since "listall" (an update is running): the others of
        // the batch still count, one by one.
        for (const QString &directory : batch) {
            if (auto listing = connection->listMeta(directory)) {
                for (const mpdc::Entity &entity : *listing)
                    if (entity.type == mpdc::Entity::Type::Song) index.add(directory, entity.song);
            } else if (connection->hasError()) {
                return std::nullopt;
            }
        }
    }
    return sortAlbum(index.albums());
}

std::optional<QList<Song>> MPDAlbum::getAlbumContent(const Album &album) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return std::nullopt;
    mpdc::Connection *connection = socket.getConnection();
    const auto listing =
        connection->listMeta(album.path.isNull() ? QString(QLatin1String("")) : album.path);
    if (!listing) {
        // A refusal (no such directory) has been reported and cleared by the connection;
        // a broken connection is reported here.
        if (connection->hasError()) MPDServerError::sMPDServerError().send(*connection);
        return std::nullopt;
    }
    QList<Song> songs;
    for (const mpdc::Entity &entity : *listing)
        if (entity.type == mpdc::Entity::Type::Song) songs.append(getSongValues(entity.song));
    return songs;
}

} // namespace kelvane
