#pragma once

#include "core/mpd/MPDSocket.h"
#include "core/mpd/MPDStatus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QElapsedTimer>
#include <QObject>
#include <QVariantMap>
#include <memory>
#include <optional>

namespace kelvane {

// The desktop's media-player interface (MPRIS) for the player this client drives: the
// bus name org.mpris.MediaPlayer2.kelvane with the root and Player interfaces on
// /org/mpris/MediaPlayer2. Properties follow PlayerEvents and are announced with
// PropertiesChanged when they change; methods become MPDCommand calls. A jump of the
// elapsed time the clock does not explain is announced as Seeked, whoever seeked.
// GUI thread (QtDBus delivers the calls there).
class MprisService : public QObject, protected QDBusContext {
    Q_OBJECT
  public:
    static QString serviceName() { return QStringLiteral("org.mpris.MediaPlayer2.kelvane"); }
    static QString objectPath() { return QStringLiteral("/org/mpris/MediaPlayer2"); }
    static QString playerInterface() { return QStringLiteral("org.mpris.MediaPlayer2.Player"); }

    explicit MprisService(const QDBusConnection &bus, QObject *parent = nullptr);
    ~MprisService() override;

    // Registers the object and the name; false, with the reason, when the bus refuses
    // (no bus, or another instance holds the name), and then nothing stays registered.
    bool start(QString *problem);

    // --- state, as the adaptors read it
    std::optional<MPDStatus> status() const { return m_status; }
    QVariantMap playerProperties() const;
    // The elapsed time now, in µs: the last snapshot's, moved on by the clock while
    // playing.
    qlonglong position() const;

    // --- what the adaptors ask
    void raise() { Q_EMIT raiseRequested(); }
    void quit() { Q_EMIT quitRequested(); }
    void setLoopStatus(const QString &loop);
    void setShuffle(bool on);
    void setVolume(double volume);
    void playPause();
    void play();
    void pause();
    void stop();
    void next();
    void previous();
    void seek(qlonglong offset);
    void setPosition(const QString &trackId, qlonglong position);
    // False for anything but an http(s) address fit to send to the server.
    bool openUri(const QString &uri);
    // Answers the D-Bus call being delivered with that error (nothing outside a call).
    void refuseCall(QDBusError::ErrorType error, const QString &message);

    // Seconds the elapsed time may drift from the clock before it counts as a seek.
    static constexpr qint64 seekToleranceMs = 1500;

  Q_SIGNALS:
    void raiseRequested();
    void quitRequested();
    // Relayed as the Player interface's Seeked signal.
    void seeked(qlonglong position);

  private:
    void onStatus(const MPDStatus &status);
    void onLink(MPDSocket::Link link);
    void detectSeek(const MPDStatus &status);
    void updateArt(const QString &songPath);
    // Sends PropertiesChanged for the Player properties that differ from the last sent.
    void announce();

    QDBusConnection m_bus;
    bool m_registered = false;
    std::optional<MPDStatus> m_status;
    QElapsedTimer m_statusClock;
    QString m_artPath; // the song path m_artUrl belongs to
    QString m_artUrl;
    quint64 m_artTicket = 0; // an answer for an earlier song is dropped
    QVariantMap m_announced;
};

} // namespace kelvane
