#pragma once

#include <QObject>

namespace kelvane {

class MprisService;
class TrackNotifier;

// What the desktop session offers the application: the media-player interface (media
// keys, panel widgets) and the track-change notifications, both on the session bus.
// Without a session bus both stay off after one log line and nothing else changes.
// GUI thread.
class DesktopServices : public QObject {
    Q_OBJECT
  public:
    explicit DesktopServices(QObject *parent = nullptr);
    ~DesktopServices() override;

    // The MPD password goes to the desktop keyring from now on (a password the settings
    // file holds moves there). Before the first connection, which may need it. Without a
    // session bus, or with no keyring answering, it stays in the settings file.
    static void keepPasswordInKeyring();

    // Null when off.
    MprisService *mpris() const { return m_mpris; }

  Q_SIGNALS:
    void raiseRequested();
    void quitRequested();

  private:
    MprisService *m_mpris = nullptr;
    TrackNotifier *m_notifier = nullptr;
};

} // namespace kelvane
