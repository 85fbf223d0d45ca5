#include "core/library/MPDAlbum.h"

#include "core/library/ServerSong.h"

#include "core/library/AlbumIndex.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDBulk.h"
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
    return songFromServer(info, SongReading::Catalogue);
}

std::optional<QList<Album>> MPDAlbum::getAlbumsList(const Progress &progress, SongIndex *songs) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;

    // One "listall" for the directories that hold songs (in order of first appearance),
    // then one "lsinfo" per directory. A single "listallinfo" would be one exchange, but
    // its answer overflows the server's output buffer on large libraries.
    const auto uris = connection->listAllSongUris(QString());
    if (!uris) {
        bulk.reportFailure(*connection);
        return std::nullopt;
    }
    QStringList directories;
    QSet<QString> seen;
    for (const QString &uri : *uris) {
        QString directory = directoryOf(uri);
        if (!seen.contains(directory)) {
            seen.insert(directory);
            directories << std::move(directory);
        }
    }

    AlbumIndex index;
    qsizetype start = 0;
    while (start < directories.size()) {
        const QStringList batch = directories.mid(start, directoriesPerBatch);
        qsizetype failedAt = -1;
        std::optional<std::vector<std::vector<mpdc::SongInfo>>> listings;
        {
            // A refused batch is a directory gone since "listall": handled below.
            mpdc::Connection::QuietRefusals quiet(*connection);
            listings = connection->listAlbumTagsMany(batch, int(directoriesPerBatch), &failedAt);
        }
        if (listings) {
            for (qsizetype i = 0; i < batch.size(); ++i) {
                for (const mpdc::SongInfo &song : (*listings)[size_t(i)]) {
                    index.add(batch[i], song);
                    if (songs) songs->add(getSongValues(song));
                }
            }
            start += batch.size();
            if (progress) progress(start, directories.size(), index.albums().size());
            continue;
        }
        if (connection->isClosed()) {
            // A line the library cannot read (a tag longer than its buffer) breaks the
            // connection: say so once, skip that directory on a fresh connection and go
            // on. Anything else (the server gone) ends the catalogue.
            if (connection->errorKind() != mpdc::ErrorKind::Malformed || failedAt < 0) {
                bulk.reportFailure(*connection);
                return std::nullopt;
            }
            bulk.reportFailure(*connection);
            connection = bulk.connection();
            if (!connection) return std::nullopt;
            const qsizetype skipped = start + failedAt;
            // The directories before the broken one, one by one, then on after it.
            for (qsizetype i = start; i < skipped; ++i)
                if (!addDirectory(*connection, directories[i], index, songs)) return std::nullopt;
            start = skipped + 1;
            continue;
        }
        // A directory vanished since "listall" (an update is running): the others of
        // the batch still count, one by one; the refusal is not worth an alert.
        for (const QString &directory : batch)
            if (!addDirectory(*connection, directory, index, songs)) return std::nullopt;
        start += batch.size();
    }
    if (songs) songs->done();
    return sortAlbum(index.albums());
}

bool MPDAlbum::addDirectory(mpdc::Connection &connection, const QString &directory,
                            AlbumIndex &index, SongIndex *songs) {
    mpdc::Connection::QuietRefusals quiet(connection);
    if (auto listing = connection.listMeta(directory)) {
        for (const mpdc::Entity &entity : *listing) {
            if (entity.type != mpdc::Entity::Type::Song) continue;
            index.add(directory, entity.song);
            if (songs) songs->add(getSongValues(entity.song));
        }
        return true;
    }
    return !connection.hasError();
}

std::optional<MPDAlbum::SongSearch> MPDAlbum::searchSongs(const QString &text, qsizetype limit) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    // One more than shown tells whether the list was cut.
    const auto found = connection->searchAny(text, quint32(limit + 1));
    if (!bulk.answered(found, *connection)) return std::nullopt;
    SongSearch search;
    search.cut = qsizetype(found->size()) > limit;
    for (const mpdc::SongInfo &info : *found) {
        if (search.songs.size() == limit) break;
        search.songs.append(getSongValues(info));
    }
    return search;
}

std::optional<QList<Song>> MPDAlbum::getAlbumContent(const Album &album) {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    const auto listing =
        connection->listMeta(album.path.isNull() ? QString(QLatin1String("")) : album.path);
    // A refusal (no such directory) has been reported and cleared by the connection.
    if (!bulk.answered(listing, *connection)) return std::nullopt;
    QList<Song> songs;
    for (const mpdc::Entity &entity : *listing)
        if (entity.type == mpdc::Entity::Type::Song) songs.append(getSongValues(entity.song));
    return songs;
}

} // namespace kelvane
