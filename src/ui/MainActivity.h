#pragma once

#include "core/mpd/MPDDelegates.h"
#include "core/mpd/MPDSocket.h"
#include "core/notify/NotificationCenter.h"
#include "core/streams/Stream.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>

class QAction;
class QMenu;

namespace kelvane {

struct AudioOutput;
class ConfirmDialog;
class ErrorAlert;
class MainWindow;
class Preferences;
class SetNameDialog;

// The application's controller: builds and drives the main window, answers the server's
// change events on the now-playing bar, shows the server error alerts, switches the
// content view from the sidebar and runs the playlist dialogs and the menu actions.
// GUI thread.
class MainActivity : public QObject, public MPDAppDelegate, public MPDErrorDelegate {
    Q_OBJECT
  public:
    explicit MainActivity(QObject *parent = nullptr);
    ~MainActivity() override;

    // Registers with the error reporter and the change events, connects (through the
    // command service), fills the sidebar, hands the window to the cache, listens for
    // the playlist dialogs and shows the albums.
    void applicationDidFinishLaunching();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

    MainWindow *window() const { return m_window; }

    // --- sidebar and content
    // Shows the view of a sidebar entry. The view lives until another entry is chosen:
    // asking again for the entry on screen keeps it.
    void setContentViewToName(const QString &name);
    // Reads the stored playlists again and reloads the sidebar; the view on screen stays
    // unless its entry is gone.
    void updateSidebar();
    // The view on screen reads its data again in place (a view that reads nothing from
    // the server stays as it is).
    void reloadContentView();
    QWidget *currentContentView() const { return m_currentContentView; }
    QString currentContentName() const { return m_currentContentName; }
    // The sidebar entry whose view is on screen ("Library", a playlist's name...).
    QString currentEntry() const { return m_currentEntry; }
    // Shows this entry instead of the albums once the sidebar holds it: at once for a
    // source, after the stored playlists have been read for a playlist (the albums stay
    // when it is gone).
    void restoreEntry(const QString &name);
    // Fills menu for a right click on row (-1: the empty area).
    void menuNeedsUpdate(QMenu *menu, int clickedRow);

    // --- playlist dialogs
    void deletePlaylist();
    void newPlaylist();
    void renamePlaylist();
    void saveAsPlaylist();
    void nsPlaylist(const QString &title, const QString &action);
    void playlistListener(const NotificationInfo &info);
    bool dialogLocked() const { return m_dialogLocked; }
    QString playlistAddDelete() const { return m_playlistAddDelete; }
    ConfirmDialog *confirmDialog() const;
    SetNameDialog *setNameDialog() const;

    // --- menu actions
    void preferences();
    void connecter();
    void deconnecter();
    void ajouterRadio();
    void addNewPlaylist() { newPlaylist(); }
    void saveCurrentPlayingList() { saveAsPlaylist(); }
    void purgeCoverCache();
    void updateDataBase();
    bool dbUpdating() const { return m_dbUpdating; }
    Preferences *preferencesWindow() const;
    QWidget *newStream() const { return m_newStream; }
    ErrorAlert *errorAlert() const { return m_errorAlert; }
    QAction *action(const QString &objectName) const;

    // --- now-playing bar
    void playButton();
    void stopButton();
    void nextButton();
    void previousButton();
    void volume();
    void seekToPosition();
    void setSongTitle(const MPDStatus &status);
    void setArtistAndAlbum(const MPDStatus &status);

    // MPDAppDelegate
    void onProgressChange(const MPDStatus &status) override;
    void onAlbumUpdateTrigger(const QString &text) override;
    void onStateChange(qint32 state) override;
    void onTrackChange(const MPDStatus &status) override;
    void onVolumeChange(quint32 volume) override;
    // MPDErrorDelegate
    void onError(const MPDError &error) override;

    static QString playlistBoxClose() { return QStringLiteral("playlistBoxClose"); }
    static QString statusChanged() { return QStringLiteral("statusChanged"); }

    // The rate the server core moves the elapsed time on at: only while the window is
    // seen and a song plays (nothing is painted that nobody sees), and then only when
    // something on screen changes: the time text on each whole second of play, the
    // progress knob each time it moves a pixel.
    void updateTickRate();
    static int shownTickInterval(const MPDStatus &status, int sliderPixels);
    static constexpr int shortestTickMs = 100;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // The connection's state on screen, and what a connection that comes back reloads.
    void wireLink();
    void onLinkChanged(MPDSocket::Link link, const QString &detail);
    void showRetryCountdown();
    // Changes another client made, as the server's idle reported them.
    void onStoredPlaylistsChanged();
    void onDatabaseChanged();
    // The saved streams, which name a playing stream: read off the GUI thread, again
    // after they changed.
    void refreshStreams();
    void buildMenus();
    // The playback modes (Lecture), replay gain and audio outputs (Serveur): checkable
    // entries that show what the server reports, whoever changed it.
    void buildModeMenus(QMenu *play, QMenu *server);
    void showOptions(const PlayerOptions &options);
    void showOutputs(const QList<AudioOutput> &outputs);
    void setModesEnabled(bool enabled);
    void wireBar();
    void refreshAlbumBadge();
    // Takes a replaced view off the screen and deletes it when nothing runs in it.
    void retireContentView(QWidget *view);
    void showSidebarMenu(int row, const QPoint &globalPos);
    // As updateSidebar(); a view on screen whose playlist was renamed follows it.
    void updateSidebar(const QString &renamedFrom, const QString &renamedTo);
    void sidebarReloaded(const QString &renamedFrom = {}, const QString &renamedTo = {});

    MainWindow *m_window;
    ErrorAlert *m_errorAlert;
    QPointer<QWidget> m_currentContentView;
    QString m_currentContentName;
    QString m_currentEntry;
    QString m_pendingEntry;
    bool m_linkWasDown = false;
    QTimer m_retryCountdown;
    std::optional<QList<Stream>> m_streams;
    quint64 m_streamsTicket = 0;
    quint64 m_sidebarTicket = 0;
    bool m_dbUpdating = false;
    bool m_dialogLocked = false;
    bool m_listening = false;
    QString m_playlistAddDelete;
    QPointer<ConfirmDialog> m_confirmDialog;
    QPointer<SetNameDialog> m_setNameDialog;
    QPointer<Preferences> m_preferences;
    QPointer<QWidget> m_newStream;
    PlayerOptions m_options;
    QMenu *m_outputsMenu = nullptr;
    QList<QAction *> m_modeActions;
};

} // namespace kelvane
