#pragma once

// MprisMetadata — the player's state as the media-player interface of the desktop
// describes it. Pure functions of a snapshot: no bus, no server.
//   trackId(status)        object path naming the queue entry, or the "no track" path
//   metadata(status, art)  the Metadata map (xesam:*, mpris:*); empty without a song
//   playbackStatus(state)  "Playing", "Paused" or "Stopped"
//   loopStatus(options)    "None", "Track" (repeat + single) or "Playlist" (repeat)
//   modesForLoop(text)     the repeat and single modes a LoopStatus asks for; none for
//                          a text that is not one
// Thread: any.
#include "core/mpd/MPDStatus.h"

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace kelvane::mpris {

QDBusObjectPath trackId(const MPDStatus &status);
QVariantMap metadata(const MPDStatus &status, const QString &artUrl);
QString playbackStatus(qint32 state);
QString loopStatus(const PlayerOptions &options);

struct LoopModes {
    bool repeat = false;
    qint32 single = 0;
};
std::optional<LoopModes> modesForLoop(const QString &loop);

// A snapshot plays a song (not nothing, not a stopped player with an empty queue).
bool hasTrack(const MPDStatus &status);

} // namespace kelvane::mpris
