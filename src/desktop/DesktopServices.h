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
    // file holds moves there; one the keyring holds is read, and the first connection
    // waits for it). Nothing here waits: a keyring may take the user's time. The keyring
    // is not asked at all while no password is stored. Without a session bus, or with
    // no keyring service on it, the password stays in the settings file.
    static void keepPasswordInKeyring();
    // Where no window has to stay responsive (the console): waits until the stored
    // password is known, at most timeoutMs; whether it is.
    static bool waitForPassword(int timeoutMs);

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
