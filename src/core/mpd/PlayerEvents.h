#pragma once

#include "core/mpd/MPDStatus.h"

#include <QList>
#include <QObject>

namespace kelvane {

// One audio output of the server, as the menu and the console show it.
struct AudioOutput {
    quint32 id = 0;
    QString name, plugin;
    bool enabled = false;
    bool operator==(const AudioOutput &) const = default;
};

// Change events for any number of receivers, beside the one-listener slots of MPDCache:
// the playback modes, the outputs and the whole snapshot, for the menus, the console and
// the desktop services. Each fires on change only, after the slot listeners heard of the
// same snapshot. GUI thread.
class PlayerEvents : public QObject {
    Q_OBJECT
  public:
    static PlayerEvents &sPlayerEvents();

  Q_SIGNALS:
    // Every snapshot, after change detection (the poll's rate).
    void statusChanged(const kelvane::MPDStatus &status);
    void trackChanged(const kelvane::MPDStatus &status);
    void stateChanged(qint32 state);
    void volumeChanged(quint32 volume);
    void optionsChanged(const kelvane::PlayerOptions &options);
    void outputsChanged(const QList<kelvane::AudioOutput> &outputs);
    // What the server's idle reports beyond the status: the queue's entries, the stored
    // playlists (saved streams among them), the song database.
    void queueChanged();
    void storedPlaylistsChanged();
    void databaseChanged();

  private:
    PlayerEvents() = default;
};

} // namespace kelvane
