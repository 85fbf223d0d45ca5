#pragma once

// Which table rows show the playing song, by the rules the queue and the album content
// tables share. Rows are matched by their texts, not by queue position, so a song queued
// twice is marked twice. Any thread.
#include "core/model/Song.h"
#include "core/mpd/MPDStatus.h"

namespace kelvane::playingmarks {

// AlbumArtist, else Artist.
QString rowArtist(const Song &song);
QString statusArtist(const MPDStatus &status, const Song &row);
// Playing or paused: only then are rows marked.
bool isActive(const MPDStatus &status);
// Title and artist equal (the status's album artist when the row has one, else its
// artist); a current song without a title marks no row.
bool isQueueCurrent(const Song &row, const MPDStatus &status);

struct AlbumRowMarks {
    bool track = false;
    bool time = false;
    friend bool operator==(const AlbumRowMarks &, const AlbumRowMarks &) = default;
};
// Track mark: title, artist and album equal; time mark: title and artist equal.
AlbumRowMarks albumRowMarks(const Song &row, const MPDStatus &status);

// An address beginning with "http".
bool isStreamPath(const QString &path);

} // namespace kelvane::playingmarks
