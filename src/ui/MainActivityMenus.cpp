// The menu bar of the main window and the actions behind it.
#include "ui/MainActivity.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDSocket.h"
#include "covers/CoverChain.h"
#include "imageloading/ImageCache.h"
#include "ui/MainWindow.h"
#include "ui/NowPlayingBar.h"
#include "ui/Preferences.h"
#include "ui/SideBar.h"
#include "ui/base/AboutDialog.h"
#include "ui/base/ProgressSlider.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/radio/StreamEdit.h"

#include <QAction>
#include <QMenuBar>
#include <cmath>

namespace kelvane {

namespace {

template <class Slot>
QAction *addAction(QMenu *menu, MainActivity *owner, const QString &id, const QString &title,
                   const QList<QKeySequence> &keys, Slot slot) {
    QAction *action = menu->addAction(title);
    action->setObjectName(id);
    action->setShortcuts(keys);
    // The window's shortcuts work wherever the focus is in it; text fields still take
    // their own keys (a space typed in a search field is a space).
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, owner, slot);
    return action;
}

} // namespace

QAction *MainActivity::action(const QString &objectName) const {
    return m_window->findChild<QAction *>(objectName);
}

void MainActivity::buildMenus() {
    QMenuBar *bar = m_window->menuBar();

    QMenu *file = bar->addMenu(tr("&Fichier"));
    addAction(file, this, QStringLiteral("preferences"), tr("Préférences…"),
              {QKeySequence(QStringLiteral("Ctrl+,"))}, &MainActivity::preferences);
    file->addSeparator();
    addAction(file, this, QStringLiteral("quit"), tr("Quitter"),
              {QKeySequence(QStringLiteral("Ctrl+Q"))}, [this] { m_window->close(); });

    QMenu *server = bar->addMenu(tr("&Serveur"));
    addAction(server, this, QStringLiteral("connecter"), tr("Connecter"),
              {QKeySequence(QStringLiteral("Ctrl+K"))}, &MainActivity::connecter);
    addAction(server, this, QStringLiteral("deconnecter"), tr("Déconnecter"),
              {QKeySequence(QStringLiteral("Ctrl+Shift+K"))}, &MainActivity::deconnecter);
    server->addSeparator();
    addAction(server, this, QStringLiteral("updateDataBase"), tr("Mettre à jour la base MPD"),
              {QKeySequence(Qt::Key_F5), QKeySequence(QStringLiteral("Ctrl+U"))},
              &MainActivity::updateDataBase);
    addAction(server, this, QStringLiteral("purgeCoverCache"), tr("Vider le cache des pochettes"),
              {}, &MainActivity::purgeCoverCache);

    QMenu *play = bar->addMenu(tr("&Lecture"));
    addAction(play, this, QStringLiteral("playButton"), tr("Lecture / Pause"),
              {QKeySequence(Qt::Key_Space)}, &MainActivity::playButton);
    addAction(play, this, QStringLiteral("stopButton"), tr("Stop"),
              {QKeySequence(QStringLiteral("Ctrl+."))}, &MainActivity::stopButton);
    addAction(play, this, QStringLiteral("nextButton"), tr("Suivant"),
              {QKeySequence(QStringLiteral("Ctrl+Right"))}, &MainActivity::nextButton);
    addAction(play, this, QStringLiteral("previousButton"), tr("Précédent"),
              {QKeySequence(QStringLiteral("Ctrl+Left"))}, &MainActivity::previousButton);
    play->addSeparator();
    const auto nudgeVolume = [this](int delta) {
        ProgressSlider *slider = m_window->bar()->volumeSlider();
        if (!slider->isEnabled()) return;
        slider->setDoubleValue(std::clamp(std::round(slider->doubleValue()) + delta, 0.0, 100.0));
    };
    addAction(play, this, QStringLiteral("volumeUp"), tr("Volume +"),
              {QKeySequence(QStringLiteral("Ctrl+Up"))}, [nudgeVolume] { nudgeVolume(5); });
    addAction(play, this, QStringLiteral("volumeDown"), tr("Volume −"),
              {QKeySequence(QStringLiteral("Ctrl+Down"))}, [nudgeVolume] { nudgeVolume(-5); });

    buildModeMenus(play, server);

    QMenu *lists = bar->addMenu(tr("&Playlist"));
    addAction(lists, this, QStringLiteral("addNewPlaylist"), tr("Nouvelle playlist…"),
              {QKeySequence(QStringLiteral("Ctrl+N"))}, &MainActivity::addNewPlaylist);
    addAction(lists, this, QStringLiteral("saveCurrentPlayingList"),
              tr("Enregistrer la lecture en cours comme playlist…"),
              {QKeySequence(QStringLiteral("Ctrl+S"))}, &MainActivity::saveCurrentPlayingList);
    lists->addSeparator();
    addAction(lists, this, QStringLiteral("ajouterRadio"), tr("Ajouter un stream…"),
              {QKeySequence(QStringLiteral("Ctrl+Shift+N"))}, &MainActivity::ajouterRadio);

    QMenu *view = bar->addMenu(tr("&Affichage"));
    const QStringList sources = SideBar::sources();
    for (int i = 0; i < sources.size(); ++i) {
        const QString name = sources[i];
        addAction(view, this, QStringLiteral("show") + name, SideBar::displayText(name),
                  {QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1))},
                  [this, i] { m_window->sideBar()->selectRow(i + 1); });
    }
    view->addSeparator();
    // From any view: the albums come to the front with their search field ready.
    addAction(view, this, QStringLiteral("search"), tr("Rechercher"),
              {QKeySequence(QKeySequence::Find)}, [this] {
                  m_window->sideBar()->selectRow(1);
                  if (auto *albums = qobject_cast<AlbumsView *>(m_currentContentView.data()))
                      albums->focusSearch();
              });

    QMenu *help = bar->addMenu(tr("&Aide"));
    addAction(help, this, QStringLiteral("about"), tr("À propos de Kelvane"), {},
              [this] { (new AboutDialog(m_window))->open(); });
}

void MainActivity::preferences() {
    if (m_preferences) m_preferences->deleteLater();
    m_preferences = new Preferences(m_window);
    m_preferences->setAttribute(Qt::WA_DeleteOnClose);
    m_preferences->showWindow();
}

Preferences *MainActivity::preferencesWindow() const {
    return m_preferences;
}

void MainActivity::connecter() {
    // On a worker: a server that does not answer never holds the window. When the link
    // is up, the playlists and the view on screen load again, the view in place.
    MPDCommand::sMPDCommand().connectSoon();
}
void MainActivity::deconnecter() {
    MPDCommand::sMPDCommand().disconnect();
}

void MainActivity::ajouterRadio() {
    m_newStream = StreamEdit::openForAdd(m_window);
}

void MainActivity::purgeCoverCache() {
    ImageCache &cache = ImageCache::sharedImageCache();
    cache.clearMemory();
    cache.clearDiskOnCompletion();
    CoverChain::sCoverChain().forgetMissing();
}

void MainActivity::updateDataBase() {
    if (!MPDSocket::sMPDSocket().isConnected()) return;
    m_dbUpdating = true;
    MPDCommand::sMPDCommand().updateDB();
}

} // namespace kelvane
