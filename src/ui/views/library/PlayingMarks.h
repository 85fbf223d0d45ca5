#pragma once

// PlayingMarks — which table rows show the playing song, by the rules the queue and the
// album content tables share. Rows are matched by their texts, not by queue position,
// so a song queued twice is marked twice.
//   rowArtist(song)                 AlbumArtist, else Artist
//   isQueueCurrent(song, status)    title and artist equal (the status's album artist
//                                   when the row has one, else its artist); a current
//                                   song without a title marks no row
//   albumRowMarks(song, status)     track mark: title, artist and album equal; time
//                                   mark: title and artist equal
//   isActive(status)                playing or paused: only then are rows marked
//   isStreamPath(path)              an address beginning with "http"
// Thread: any.
#include "core/model/Song.h"
#include "core/mpd/MPDStatus.h"

namespace kelvane::playingmarks {

QString rowArtist(const Song &song);
QString statusArtist(const MPDStatus &status, const Song &row);
bool isActive(const MPDStatus &status);
bool isQueueCurrent(const Song &row, const MPDStatus &status);

struct AlbumRowMarks {
    bool track = false;
    bool time = false;
    friend bool operator==(const AlbumRowMarks &, const AlbumRowMarks &) = default;
};
AlbumRowMarks albumRowMarks(const Song &row, const MPDStatus &status);

bool isStreamPath(const QString &path);

} // namespace kelvane::playingmarks
