#pragma once

#include "core/mpd/MPDDelegates.h"

namespace kelvane {

// Sits in every listener slot of the server core and prints one line per event
// (GUI thread).
class ConsoleListener : public MPDAppDelegate,
                        public MPDQueueDelegate,
                        public MPDAlbumDelegate,
                        public MPDStreamDelegate,
                        public MPDRadioDelegate,
                        public MPDErrorDelegate {
  public:
    ConsoleListener();
    ~ConsoleListener() override;

    void onProgressChange(const MPDStatus &status) override;
    void onAlbumUpdateTrigger(const QString &text) override;
    void onStateChange(qint32 state) override;
    void onTrackChange(const MPDStatus &status) override;
    void onVolumeChange(quint32 volume) override;
    void onStateChange(qint32 state, qint32 position) override;
    void onTrackChange(qint32 position) override;
    void onDbUpdate() override;
    void onStreamChange() override;
    void onRadioLinkClick(const Radio &radio) override;
    void onError(const MPDError &error) override;
};

} // namespace kelvane
