#pragma once

// The texts and sizes the library views derive from songs, as pure functions so they can
// be checked without a widget. Any thread.
#include "core/model/Song.h"

#include <QSize>
#include <QString>

namespace kelvane::librarytext {

// "%2d:%02d": whole minutes space-padded, seconds zero-padded.
QString timeText(float seconds);
// "disc ∙ track", or the track alone when disc is 0.
QString trackText(qint32 disc, qint32 track);
// "2h 5mn", "1h", "45mn".
QString totalTimeText(double seconds);
// "genre ∙ year".
QString genreAndYearText(const QString &genre, qint32 year);
// "dsd", "hires" or a null text.
QString badgeName(const Song &firstSong);
// 580 wide, 19 per song + 118 high, at most 470.
QSize popoverSize(qsizetype songCount);
// The grid's "inconnu" for an absent album name or artist.
QString displayName(const QString &text);

// The separator of track numbers and of the genre line: U+2219 with a space each side.
inline QString bulletSeparator() {
    return QStringLiteral(" \u2219 ");
}

} // namespace kelvane::librarytext
