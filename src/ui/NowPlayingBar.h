#pragma once

#include "core/mpd/MPDStatus.h"

#include <QWidget>

class QLabel;
class QToolButton;

namespace kelvane {

class ImageLabel;
class ProgressSlider;

// The player strip at the bottom of the main window: cover, title and artist lines,
// transport buttons, elapsed and total time over the progress and seek bars, volume.
// It only shows what it is given and announces what the user does; MainActivity joins
// it to the server. GUI thread.
class NowPlayingBar : public QWidget {
    Q_OBJECT
  public:
    explicit NowPlayingBar(QWidget *parent = nullptr);

    // The controls, by the names the rest of the window knows them by.
    QToolButton *playImg() const { return m_playImg; }
    QToolButton *stopButton() const { return m_stop; }
    QToolButton *nextButton() const { return m_next; }
    QToolButton *previousButton() const { return m_previous; }
    // The random and repeat modes: checked while the server has them on.
    QToolButton *randomButton() const { return m_random; }
    QToolButton *repeatButton() const { return m_repeat; }
    void setModes(bool random, bool repeat);
    QLabel *currentArtistAlbum() const { return m_currentArtistAlbum; }
    QLabel *currentSongTitle() const { return m_currentSongTitle; }
    QLabel *elapsedTime() const { return m_elapsedTime; }
    QLabel *songLenght() const { return m_songLenght; }
    ProgressSlider *progressTrack() const { return m_progressTrack; }
    ProgressSlider *seekToBar() const { return m_seekToBar; }
    ProgressSlider *volumeSlider() const { return m_volumeSlider; }
    ImageLabel *cover() const { return m_cover; }

    // "play_button" or "pause_button": the picture the play button shows.
    QString playImageName() const { return m_playImageName; }
    void setPlayImage(const QString &name);

    // A zero elapsed time keeps the text (a song just starting); stopped shows 0:00.
    void setElapsed(quint32 milliseconds);
    void showStopped();
    // A positive length shows; 0 (a stream) clears the text, so a stream never shows
    // the length of the song before it.
    void setTotalTime(qint32 seconds);
    void setMaximumTime(qint32 seconds);
    void setArtistAndAlbumText(const QString &text);
    void setSongTitleText(const QString &text);
    // "Titre, Artiste - Album": what screen readers read as the song playing.
    QString nowPlayingText() const;
    QWidget *nowPlayingBox() const { return m_nowPlaying; }
    // Volume 0..100; anything above (a server without mixer) disables the slider.
    void setVolume(quint32 volume);
    // The picture beside the slider follows the level: "volume_mute" at 0 (and, greyed,
    // without mixer), then "volume_low", "volume_medium", "volume_high".
    static QString volumeIconName(int volume);
    QString volumeIconName() const { return m_volumeIconName; }
    bool isVolumeIconEnabled() const { return m_volumeIconEnabled; }
    QLabel *volumeIcon() const { return m_volumeIcon; }
    // A stream cannot be seeked: its seek bar takes no clicks.
    void setSeekable(bool seekable);
    // The connection's state in words ("" hides it), and the controls that need a server.
    void setLinkText(const QString &text);
    QLabel *linkLabel() const { return m_link; }
    void setTransportEnabled(bool enabled);
    bool isSeekable() const { return m_seekable; }
    // The cover of the album directory holding path (none for a stream).
    void setCoverForPath(const QString &path);

  Q_SIGNALS:
    void playButton();
    void stopButtonClicked();
    void nextButtonClicked();
    void previousButtonClicked();
    // The user's wish; the buttons show it only once the server reports it.
    void randomToggled(bool on);
    void repeatToggled(bool on);
    void volumeChanged(int volume);
    void seekRequested(float seconds);

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void applyPalette();
    void updateVolumeIcon();
    void followPoll(double seconds);
    void announceSong();
    QToolButton *transportButton(const QString &icon, const QString &tip, int size);
    QToolButton *modeButton(const QString &icon, const QString &tip);
    static QIcon modeIcon(const QString &name);

    QToolButton *m_playImg;
    QToolButton *m_stop;
    QToolButton *m_next;
    QToolButton *m_previous;
    QToolButton *m_random = nullptr;
    QToolButton *m_repeat = nullptr;
    bool m_randomOn = false, m_repeatOn = false;
    QLabel *m_currentArtistAlbum;
    QLabel *m_currentSongTitle;
    static void fitTimeLabel(QLabel *label);
    QLabel *m_elapsedTime;
    QLabel *m_songLenght;
    ProgressSlider *m_progressTrack;
    ProgressSlider *m_seekToBar;
    ProgressSlider *m_volumeSlider;
    QLabel *m_volumeIcon;
    QLabel *m_link = nullptr;
    ImageLabel *m_cover;
    QString m_playImageName;
    QString m_volumeIconName;
    bool m_volumeIconEnabled = true;
    QString m_coverDirectory;
    QString m_coverPath;
    bool m_settingVolume = false;
    bool m_seekable = true;
    bool m_followingPoll = false;
    bool m_settingModes = false;
    QWidget *m_nowPlaying = nullptr;
};

} // namespace kelvane
