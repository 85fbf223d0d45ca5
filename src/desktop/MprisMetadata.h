#pragma once

// The player's state as the desktop's media-player interface describes it, as pure
// functions of a snapshot (no bus, no server), so the interface's texts can be checked
// without a session bus. Any thread.
#include "core/mpd/MPDStatus.h"

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace kelvane::mpris {

// The object path naming the queue entry, or the "no track" path.
QDBusObjectPath trackId(const MPDStatus &status);
// The Metadata map (xesam:*, mpris:*); empty without a song.
QVariantMap metadata(const MPDStatus &status, const QString &artUrl);
// "Playing", "Paused" or "Stopped".
QString playbackStatus(qint32 state);
// "None", "Track" (repeat + single) or "Playlist" (repeat).
QString loopStatus(const PlayerOptions &options);

struct LoopModes {
    bool repeat = false;
    qint32 single = 0;
};
// The modes a LoopStatus asks for; none for a text that is not one.
std::optional<LoopModes> modesForLoop(const QString &loop);

// A snapshot plays a song (not nothing, not a stopped player with an empty queue).
bool hasTrack(const MPDStatus &status);

} // namespace kelvane::mpris
