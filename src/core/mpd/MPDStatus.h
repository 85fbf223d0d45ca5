#pragma once

#include <QString>

namespace kelvane {

// The player's state as the protocol library numbers it (MPDStatus::state).
namespace PlayState {
enum : qint32 { None = 0, Stopped = 1, Playing = 2, Paused = 3 };
}

// One snapshot of the player, as one poll saw it. Texts are null when absent.
struct MPDStatus {
    QString album, artist, albumArtist, title, path;
    QString track;           // the Track tag as written ("3", "3/12"); not part of the track key
    quint32 elapsedTime = 0; // milliseconds
    qint32 totalTime = 0;    // seconds; 0 for streams
    qint32 titlePosition = 0;
    qint32 state = PlayState::None;
    quint32 volume = 0; // 0..100; 4294967295 when the server has no mixer
    // Playback modes. single: 0 off, 1 on, 2 oneshot (once, then off). replayGain is
    // "off", "track", "album" or "auto"; null until the server told it.
    bool random = false, repeat = false, consume = false;
    qint32 single = 0;
    quint32 crossfade = 0; // seconds
    QString replayGain;
    quint32 queueVersion = 0;
    quint32 queueLength = 0;
    bool operator==(const MPDStatus &) const = default;
};

// The playback modes of a snapshot, compared as one value.
struct PlayerOptions {
    bool random = false, repeat = false, consume = false;
    qint32 single = 0;
    quint32 crossfade = 0;
    QString replayGain;

    static PlayerOptions of(const MPDStatus &status) {
        return {status.random, status.repeat,    status.consume,
                status.single, status.crossfade, status.replayGain};
    }
    bool operator==(const PlayerOptions &) const = default;
};

} // namespace kelvane
