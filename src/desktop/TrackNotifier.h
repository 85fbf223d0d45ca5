#pragma once

#include "core/mpd/MPDStatus.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <memory>

namespace kelvane {

class ImageCombinedOperation;

// A desktop notification (org.freedesktop.Notifications) when the playing song changes,
// with its cover, when the preference "Notifier le changement de morceau" is on. Each
// notification replaces the previous one rather than piling up. The first song seen
// after a start or a connect is not announced: the user just chose it. The cover is
// waited for a moment when it is not cached yet. GUI thread; calls are asynchronous.
class TrackNotifier : public QObject {
    Q_OBJECT
  public:
    explicit TrackNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~TrackNotifier() override;

    static constexpr int coverWaitMs = 800;

  private:
    void onTrack(const MPDStatus &status);
    void send();

    QDBusConnection m_bus;
    bool m_seenTrack = false;
    MPDStatus m_pending;
    QTimer m_coverWait;
    std::shared_ptr<ImageCombinedOperation> m_coverLoad;
    quint32 m_lastId = 0;
};

} // namespace kelvane
