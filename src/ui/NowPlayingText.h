#pragma once

#include "core/mpd/MPDStatus.h"
#include "core/streams/Stream.h"

#include <QList>
#include <QString>
#include <optional>

namespace kelvane {

// The texts of the now-playing bar, as functions of a snapshot (and, for a stream, of
// the saved streams), so the rules can be checked without a window.
namespace NowPlayingText {

// "%2d:%02d": minutes right-aligned in two places, seconds with a leading zero.
QString timeText(qint64 minutes, qint64 seconds);
// Elapsed milliseconds (61000 -> " 1:01").
QString elapsedText(quint32 milliseconds);
// Total seconds (3725 -> "62:05").
QString totalText(qint32 seconds);

// "artist - album", either one alone, or "".
QString artistAndAlbum(const MPDStatus &status);
// A path the server plays as an internet stream.
bool isStream(const QString &path);
// "Stop" when stopped; the title (or "Non renseigné") when playing or paused; " " when
// no state is known; a saved stream's name wins in every state (the last match).
QString songTitle(const MPDStatus &status, const std::optional<QList<Stream>> &savedStreams);

} // namespace NowPlayingText
} // namespace kelvane
