#pragma once

// The listener interfaces the views implement. MPDCache holds one listener per slot,
// without owning it: a listener leaves its slot (MPDCache::release) before it dies.
#include "core/mpd/MPDError.h"
#include "core/mpd/MPDStatus.h"

namespace kelvane {

class Radio;

class MPDAppDelegate {
  public:
    virtual ~MPDAppDelegate() = default;
    virtual void onProgressChange(const MPDStatus &status) = 0;
    virtual void onAlbumUpdateTrigger(const QString &text) = 0;
    virtual void onStateChange(qint32 state) = 0;
    virtual void onTrackChange(const MPDStatus &status) = 0;
    virtual void onVolumeChange(quint32 volume) = 0;
};

class MPDQueueDelegate {
  public:
    virtual ~MPDQueueDelegate() = default;
    virtual void onStateChange(qint32 state, qint32 position) = 0;
    virtual void onTrackChange(qint32 position) = 0;
};

class MPDAlbumDelegate {
  public:
    virtual ~MPDAlbumDelegate() = default;
    virtual void onDbUpdate() = 0;
};

class MPDStreamDelegate {
  public:
    virtual ~MPDStreamDelegate() = default;
    virtual void onStreamChange() = 0;
};

class MPDRadioDelegate {
  public:
    virtual ~MPDRadioDelegate() = default;
    virtual void onRadioLinkClick(const Radio &radio) = 0;
};

class MPDErrorDelegate {
  public:
    virtual ~MPDErrorDelegate() = default;
    virtual void onError(const MPDError &error) = 0;
};

} // namespace kelvane
