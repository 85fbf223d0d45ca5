#pragma once

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"

#include <QStringList>

namespace kelvane::test {

// Sits in every listener slot and writes each event down as one short text.
class EventRecorder : public MPDAppDelegate,
                      public MPDQueueDelegate,
                      public MPDAlbumDelegate,
                      public MPDErrorDelegate {
  public:
    EventRecorder() {
        MPDServerError::sMPDServerError().setDelegate(this);
        MPDCache &cache = MPDCache::sMPDCache();
        cache.setDelegate(this);
        cache.setDelegateQueue(this);
        cache.setDelegateAlbum(this);
    }
    ~EventRecorder() override {
        MPDServerError::sMPDServerError().release(this);
        MPDCache::sMPDCache().release(this);
    }

    void onProgressChange(const MPDStatus &s) override {
        lastProgress = s;
        ++progressCount;
        if (logProgress) log << QStringLiteral("progress");
    }
    void onAlbumUpdateTrigger(const QString &text) override {
        log << QStringLiteral("albumUpdate:") + text;
    }
    void onStateChange(qint32 state) override { log << QStringLiteral("state:%1").arg(state); }
    void onTrackChange(const MPDStatus &s) override {
        log << QStringLiteral("track:%1:%2").arg(s.titlePosition).arg(s.title);
    }
    void onVolumeChange(quint32 volume) override { log << QStringLiteral("volume:%1").arg(volume); }
    void onStateChange(qint32 state, qint32 position) override {
        log << QStringLiteral("queueState:%1:%2").arg(state).arg(position);
    }
    void onTrackChange(qint32 position) override {
        log << QStringLiteral("queueTrack:%1").arg(position);
    }
    void onDbUpdate() override { log << QStringLiteral("dbUpdate"); }
    void onError(const MPDError &error) override { errors << error; }

    // Events other than progress, which fires on every second poll.
    QStringList log;
    QList<MPDError> errors;
    MPDStatus lastProgress;
    bool logProgress = false;
    int progressCount = 0;
};

} // namespace kelvane::test
