#pragma once

#include <QString>

namespace kelvane {

// One snapshot of the player, as one poll saw it. Texts are null when absent.
struct MPDStatus {
    QString album, artist, albumArtist, title, path;
    quint32 elapsedTime = 0; // milliseconds
    qint32 totalTime = 0;    // seconds; 0 for streams
    qint32 titlePosition = 0;
    qint32 state = 0;        // 0 none reported, 1 stopped, 2 playing, 3 paused
    quint32 volume = 0;      // 0..100; 4294967295 when the server has no mixer
};

} // namespace kelvane
