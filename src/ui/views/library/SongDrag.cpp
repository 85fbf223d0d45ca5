#include "ui/views/library/SongDrag.h"

#include "ui/base/InputCheck.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace kelvane::songdrag {

namespace {
const QString rowsType = QStringLiteral("application/x-kelvane-queue-rows");
const QString songsType = QStringLiteral("application/x-kelvane-songs");
const QString albumType = QStringLiteral("application/x-kelvane-album");

template <class... T> QByteArray pack(const T &...values) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    (out << ... << values);
    return bytes;
}

// QDataStream reads a claimed length before the data: a forged one must not make us
// allocate for it, so lists are read as a count and then one entry at a time.
template <class T> std::optional<QList<T>> readList(QDataStream &in) {
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > maximumEntries) return std::nullopt;
    QList<T> values;
    for (quint32 i = 0; i < count; ++i) {
        T value{};
        in >> value;
        if (in.status() != QDataStream::Ok) return std::nullopt;
        values.append(value);
    }
    return values;
}

bool usablePath(const QString &path) {
    return !path.isEmpty() && !inputcheck::hasControlCharacters(path);
}
} // namespace

QStringList mimeTypes() {
    return {rowsType, songsType, albumType};
}

QMimeData *songsData(const QList<Song> &songs, const QList<qint32> &queueRows) {
    auto *data = new QMimeData;
    QByteArray paths;
    {
        QDataStream out(&paths, QIODevice::WriteOnly);
        out << quint32(songs.size());
        for (const Song &song : songs)
            out << song.fullPath();
    }
    data->setData(songsType, paths);
    if (!queueRows.isEmpty()) {
        QByteArray rows;
        QDataStream out(&rows, QIODevice::WriteOnly);
        out << quint32(queueRows.size());
        for (qint32 row : queueRows)
            out << row;
        data->setData(rowsType, rows);
    }
    return data;
}

QMimeData *albumData(const Album &album) {
    auto *data = new QMimeData;
    data->setData(albumType, pack(album.albumName, album.path, album.artist));
    return data;
}

bool carriesDrop(const QMimeData *data) {
    if (!data) return false;
    for (const QString &type : mimeTypes())
        if (data->hasFormat(type)) return true;
    return false;
}

QList<qint32> queueRows(const QMimeData *data) {
    if (!data || !data->hasFormat(rowsType)) return {};
    const QByteArray bytes = data->data(rowsType);
    QDataStream in(bytes);
    QList<qint32> rows = readList<qint32>(in).value_or(QList<qint32>{});
    rows.removeIf([](qint32 row) { return row < 0; });
    return rows;
}

QList<Song> songs(const QMimeData *data) {
    if (!data || !data->hasFormat(songsType)) return {};
    const QByteArray bytes = data->data(songsType);
    QDataStream in(bytes);
    QList<Song> songs;
    for (const QString &path : readList<QString>(in).value_or(QStringList{})) {
        if (!usablePath(path)) continue;
        Song song;
        song.setFullPath(path);
        songs.append(song);
    }
    return songs;
}

std::optional<Album> album(const QMimeData *data) {
    if (!data || !data->hasFormat(albumType)) return std::nullopt;
    const QByteArray bytes = data->data(albumType);
    QDataStream in(bytes);
    Album album;
    in >> album.albumName >> album.path >> album.artist;
    if (in.status() != QDataStream::Ok) return std::nullopt;
    // The root directory ("") holds albums too; a path must still be one the server takes.
    if (inputcheck::hasControlCharacters(album.path) ||
        inputcheck::hasControlCharacters(album.albumName))
        return std::nullopt;
    return album;
}

} // namespace kelvane::songdrag
