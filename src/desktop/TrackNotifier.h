#pragma once

#include "core/mpd/MPDStatus.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

namespace kelvane {

// A desktop notification (org.freedesktop.Notifications) when the playing song changes,
// with its cover, when the preference "Notifier le changement de morceau" is on. Each
// notification replaces the previous one rather than piling up. The first song seen
// after a start or a connect is not announced: the user just chose it. The cover comes
// from CoverFile, waited for a moment when it is not written yet. GUI thread; calls are
// asynchronous.
class TrackNotifier : public QObject {
    Q_OBJECT
  public:
    explicit TrackNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~TrackNotifier() override;

    static constexpr int coverWaitMs = 800;
    // Tests wait as long as the cover takes, whatever the machine's speed.
    void setCoverWaitMs(int milliseconds) { m_coverWait.setInterval(milliseconds); }

  private:
    void onTrack(const MPDStatus &status);
    void send();

    QDBusConnection m_bus;
    bool m_seenTrack = false;
    MPDStatus m_pending;
    QString m_coverUrl; // of m_pending's album; "" for none
    QTimer m_coverWait;
    quint64 m_coverTicket = 0; // an answer for an earlier song is dropped
    quint32 m_lastId = 0;
};

} // namespace kelvane
