#pragma once

// The album catalogue, built afresh from the server's database at each read: the server
// knows songs and directories, not albums, so the grid's albums (name and album artist,
// found in the directory of their first song) are made here, and kept nowhere but in
// MPDCache. Reads go over the bulk connection and block; no state, any thread (the bulk
// thread, the console's).
#include "core/model/Album.h"
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
struct SongInfo;
} // namespace mpdc

class AlbumIndex;
class SongIndex;

class MPDAlbum {
  public:
    static MPDAlbum &sMPDAlbum();
    MPDAlbum(const MPDAlbum &) = delete;
    MPDAlbum &operator=(const MPDAlbum &) = delete;

    // Called after each batch of directories: how many were read, of how many, and the
    // albums found so far. On the calling thread.
    using Progress =
        std::function<void(qsizetype directoriesRead, qsizetype directories, qsizetype albums)>;
    // songs, when given, takes every song read, in database order (and is done() at the
    // end of a complete read).
    // Sorted in the grid's order; none when not connected, empty for an empty database.
    std::optional<QList<Album>> getAlbumsList(const Progress &progress = {},
                                              SongIndex *songs = nullptr);
    // Every song file directly inside album.path, in the server's order.
    std::optional<QList<Song>> getAlbumContent(const Album &album);
    // Songs whose tags hold the text (the server's "search any"), at most limit of them;
    // cut is set when there were more.
    struct SongSearch {
        QList<Song> songs;
        bool cut = false;
    };
    std::optional<SongSearch> searchSongs(const QString &text, qsizetype limit = 500);

    // The catalogue's reading of a server song (songFromServer).
    static Song getSongValues(const mpdc::SongInfo &song);

    // Order of the album grid: artist without a leading "The " (accents and case aside,
    // textfold::sortKey), then date, then path. Playlist names: by the same key.
    static QString formatName(const QString &name);
    static bool albumLess(const Album &a, const Album &b);
    static QList<Album> sortAlbum(QList<Album> albums);
    static QStringList sortList(QStringList names);

    // The directory of a song's uri ("" for a song at the root) and the extension of
    // its file name ("" when it has none).
    static QString directoryOf(const QString &uri);
    static QString extensionOf(const QString &uri);

  private:
    MPDAlbum() = default;
    // lsinfo of one directory into the index; false when the connection broke (a
    // refused directory, gone since, counts as empty).
    static bool addDirectory(mpdc::Connection &connection, const QString &directory,
                             AlbumIndex &index, SongIndex *songs);
};

} // namespace kelvane
