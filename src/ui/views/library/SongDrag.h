#pragma once

// SongDrag — what a drag between the song tables, the album grid and the queue carries:
// queue rows (a move inside the queue), song files, or an album (its songs are read when
// it lands). A drop is outside text like any other: decoding refuses malformed data and
// paths with control characters, and caps the counts. Thread: GUI.
#include "core/model/Album.h"
#include "core/model/Song.h"

#include <QList>
#include <QStringList>
#include <optional>

class QMimeData;

namespace kelvane::songdrag {

QStringList mimeTypes();
// Songs (their files) for the drag; queueRows also when they come from the queue.
QMimeData *songsData(const QList<Song> &songs, const QList<qint32> &queueRows = {});
QMimeData *albumData(const Album &album);

bool carriesDrop(const QMimeData *data);
// Empty when the drag holds no queue rows.
QList<qint32> queueRows(const QMimeData *data);
// The song files, as records holding only their path.
QList<Song> songs(const QMimeData *data);
std::optional<Album> album(const QMimeData *data);

// More than this many entries in one drop is not something a table of ours makes.
constexpr qsizetype maximumEntries = 100000;

} // namespace kelvane::songdrag
