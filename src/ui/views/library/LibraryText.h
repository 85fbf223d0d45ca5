#pragma once

// LibraryText — the texts and sizes the library views derive from songs, as pure
// functions so they can be checked without a widget.
//   timeText(seconds)          "%2d:%02d": whole minutes space-padded, seconds zero-padded
//   trackText(disc, track)     "disc ∙ track", or the track alone when disc is 0
//   totalTimeText(seconds)     "2h 5mn", "1h", "45mn"
//   genreAndYearText(g, y)     "genre ∙ year"
//   badgeName(first song)      "dsd", "hires" or a null text
//   popoverSize(songs)         580 wide, 19 per song + 118 high, at most 470
//   displayName(text)          the grid's "inconnu" for an absent album name or artist
// Thread: any.
#include "core/model/Song.h"

#include <QSize>
#include <QString>

namespace kelvane::librarytext {

QString timeText(float seconds);
QString trackText(qint32 disc, qint32 track);
QString totalTimeText(double seconds);
QString genreAndYearText(const QString &genre, qint32 year);
QString badgeName(const Song &firstSong);
QSize popoverSize(qsizetype songCount);
QString displayName(const QString &text);

// The separator of track numbers and of the genre line: U+2219 with a space each side.
inline QString bulletSeparator() {
    return QStringLiteral(" \u2219 ");
}

} // namespace kelvane::librarytext
