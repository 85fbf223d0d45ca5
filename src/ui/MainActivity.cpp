#include "ui/MainActivity.h"

#include "covers/CoverChain.h"

#include "core/commands/MPDCommand.h"
#include "core/library/CatalogueLoader.h"
#include "core/library/CurrentPlaylisyView.h"
#include "core/library/MPDPlayLists.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "ui/ContentViews.h"
#include "ui/ErrorAlert.h"
#include "ui/MainWindow.h"
#include "ui/SideBar.h"
#include "ui/base/ConfirmDialog.h"
#include "ui/base/ReloadableView.h"
#include "ui/base/SetNameDialog.h"
#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/QueueDrop.h"

#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <utility>

namespace kelvane {

MainActivity::MainActivity(QObject *parent)
    : QObject(parent), m_window(new MainWindow), m_errorAlert(new ErrorAlert(m_window, this)) {
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Covers start over on a new connection and after a database update.
    CoverChain::sCoverChain().followServer();
    SideBar *sideBar = m_window->sideBar();
    connect(sideBar, &SideBar::entrySelected, this, &MainActivity::setContentViewToName);
    connect(sideBar, &SideBar::contextMenuRequested, this, &MainActivity::showSidebarMenu);
    connect(sideBar, &SideBar::droppedOnQueue, this,
            [this](const QMimeData *data) { queuedrop::append(this, data); });
    connect(m_window->addRadio(), &QPushButton::clicked, this, &MainActivity::ajouterRadio);
    // Keys on the sidebar's selected playlist: Delete removes it, F2 renames it.
    connect(sideBar, &SideBar::playlistKeyPressed, this, [this](const QString &name, int key) {
        m_playlistAddDelete = name;
        if (key == Qt::Key_F2)
            renamePlaylist();
        else
            deletePlaylist();
    });
    buildMenus();
    wireBar();
}

MainActivity::~MainActivity() {
    MPDCache::sMPDCache().release(this);
    MPDServerError::sMPDServerError().release(this);
    delete m_window;
}

void MainActivity::applicationDidFinishLaunching() {
    // The error listener comes first, so a refused first connection reaches the user.
    MPDServerError::sMPDServerError().setDelegate(this);
    MPDCache::sMPDCache().setDelegate(this);
    MPDCommand::sMPDCommand();
    // The count on "Albums" as soon as the catalogue is read, shown or not.
    connect(&CatalogueLoader::sCatalogueLoader(), &CatalogueLoader::finished, this,
            &MainActivity::refreshAlbumBadge, Qt::UniqueConnection);
    wireLink();

    SideBar *sideBar = m_window->sideBar();
    sideBar->reloadData();
    sideBar->expandEverything();
    updateSidebar(); // the stored playlists come in when read

    MPDCache::sMPDCache().setMainWindow(m_window);
    if (!m_listening) {
        m_listening = true;
        NotificationCenter::defaultCenter().observe(
            playlistBoxClose(), this,
            [this](const NotificationInfo &info) { playlistListener(info); });
    }
    // The albums come up first; selected last, so the grid loads on a live connection.
    sideBar->selectRow(1);
    refreshAlbumBadge();
}

void MainActivity::setContentViewToName(const QString &name) {
    if (m_dbUpdating) return;
    if (m_currentContentView && name == m_currentEntry) return;
    m_window->addRadio()->setVisible(name == QLatin1String("Stream"));
    QString viewName = name;
    if (!SideBar::sources().contains(name)) {
        CurrentPlaylisyView::setCurrentPlaylist(name);
        viewName = QStringLiteral("Playlist");
    }
    if (m_currentContentView) retireContentView(m_currentContentView);
    m_window->contentTitle()->setText(SideBar::sources().contains(name) ? SideBar::displayText(name)
                                                                        : name);
    QWidget *view = createContentView(viewName, m_window->masterView());
    m_currentContentView = view;
    m_currentContentName = viewName;
    m_currentEntry = name;
    m_window->setContentView(view);
    if (auto *albums = qobject_cast<AlbumsView *>(view))
        connect(albums, &AlbumsView::albumsShown, this, &MainActivity::refreshAlbumBadge);
    refreshAlbumBadge();
}

void MainActivity::retireContentView(QWidget *view) {
    view->hide();
    // A drag that started in this view may still be in flight (it rested on "Lecture en
    // cours", which opened the queue): the view that runs it goes once the drag has ended,
    // since Qt touches it again when the drag returns.
    if (auto *drag = view->findChild<QDrag *>()) {
        connect(drag, &QObject::destroyed, view, &QObject::deleteLater);
        return;
    }
    // Later, not now: this may run inside one of the old view's own handlers.
    view->deleteLater();
}

void MainActivity::updateSidebar() {
    updateSidebar({}, {});
}

void MainActivity::updateSidebar(const QString &renamedFrom, const QString &renamedTo) {
    // The names are read on the bulk thread; only the latest read counts.
    const quint64 ticket = ++m_sidebarTicket;
    MPDBulk::sMPDBulk().run(
        this, [] { return MPDPlayLists::sMPDPlayLists().getPlaylists(); },
        [this, ticket, renamedFrom, renamedTo](std::optional<QStringList> names) {
            if (ticket != m_sidebarTicket) return;
            SideBar *sideBar = m_window->sideBar();
            if (names) {
                sideBar->setPlaylists(*names);
                playlistmenu::setNames(*names);
            }
            sideBar->reloadData();
            refreshAlbumBadge();
            sidebarReloaded(renamedFrom, renamedTo);
        });
}

// A reload keeps the view on screen; it goes only when its entry has gone (a playlist
// deleted or renamed here or by another client): to the renamed playlist, else to the
// albums. The highlight always comes back to the entry on screen.
void MainActivity::sidebarReloaded(const QString &renamedFrom, const QString &renamedTo) {
    SideBar *sideBar = m_window->sideBar();
    if (const QString pending = std::exchange(m_pendingEntry, QString()); !pending.isEmpty()) {
        if (sideBar->hasEntry(pending)) {
            sideBar->selectName(pending);
            return;
        }
    }
    if (m_currentEntry.isEmpty()) return;
    if (!sideBar->hasEntry(m_currentEntry)) {
        const bool renamed = m_currentEntry == renamedFrom && sideBar->hasEntry(renamedTo);
        sideBar->selectName(renamed ? renamedTo : QStringLiteral("Library"));
        return;
    }
    if (sideBar->selectedName().isEmpty()) sideBar->selectName(m_currentEntry);
}

void MainActivity::restoreEntry(const QString &name) {
    SideBar *sideBar = m_window->sideBar();
    if (name.isEmpty() || sideBar->isHeader(name)) return;
    if (SideBar::sources().contains(name)) {
        sideBar->selectName(name);
        return;
    }
    // A playlist: the names come with the first read of the stored playlists.
    if (sideBar->hasEntry(name))
        sideBar->selectName(name);
    else
        m_pendingEntry = name;
}

void MainActivity::reloadContentView() {
    if (auto *view = dynamic_cast<ReloadableView *>(m_currentContentView.data())) view->reload();
}

void MainActivity::refreshAlbumBadge() {
    // A list being read again keeps the last count rather than flashing 0.
    const auto &albums = MPDCache::sMPDCache().getCurrentAlbumList();
    if (albums) m_window->sideBar()->setAlbumCount(int(albums->size()));
}

void MainActivity::menuNeedsUpdate(QMenu *menu, int clickedRow) {
    menu->clear();
    if (clickedRow < 0) {
        menu->addAction(tr("Nouvelle playlist"), this, &MainActivity::newPlaylist);
    } else if (clickedRow == 2) {
        menu->addAction(tr("Enregistrer comme playlist"), this, &MainActivity::saveAsPlaylist);
    } else if (clickedRow >= 6) {
        const QStringList names = m_window->sideBar()->playlists();
        const int index = clickedRow - 6;
        if (index >= names.size()) return;
        m_playlistAddDelete = names[index];
        menu->addAction(tr("Renommer"), this, &MainActivity::renamePlaylist);
        menu->addAction(tr("Supprimer"), this, &MainActivity::deletePlaylist);
    }
}

void MainActivity::showSidebarMenu(int row, const QPoint &globalPos) {
    auto *menu = new QMenu(m_window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menuNeedsUpdate(menu, row);
    // A row without items shows nothing rather than an empty box.
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    menu->popup(globalPos);
}

void MainActivity::deletePlaylist() {
    if (m_dialogLocked) return;
    if (m_confirmDialog) m_confirmDialog->deleteLater();
    m_confirmDialog = new ConfirmDialog(
        tr("Supprimer une playlist"),
        tr("Confirmer la suppression de la playlist: %1").arg(m_playlistAddDelete),
        playlistBoxClose(), m_window);
    m_dialogLocked = true;
    m_confirmDialog->showWindow();
}

void MainActivity::newPlaylist() {
    nsPlaylist(tr("Nouvelle playlist"), QStringLiteral("new"));
}
void MainActivity::renamePlaylist() {
    const bool wasLocked = m_dialogLocked;
    nsPlaylist(tr("Renommer la playlist"), QStringLiteral("rename"));
    // The old name to edit, rather than an empty field.
    if (!wasLocked && m_setNameDialog) {
        m_setNameDialog->textField()->setText(m_playlistAddDelete);
        m_setNameDialog->textField()->selectAll();
    }
}
void MainActivity::saveAsPlaylist() {
    nsPlaylist(tr("Enregistrer comme playlist"), QStringLiteral("save"));
}

void MainActivity::nsPlaylist(const QString &title, const QString &action) {
    if (m_dialogLocked) return;
    if (m_setNameDialog) m_setNameDialog->deleteLater();
    m_setNameDialog = new SetNameDialog(title, playlistBoxClose(), action, m_window);
    m_dialogLocked = true;
    m_setNameDialog->showWindow();
}

void MainActivity::playlistListener(const NotificationInfo &info) {
    const QString close = info.value(QStringLiteral("close"));
    const QString name = info.value(QStringLiteral("name"));
    if (close == QLatin1String("delete"))
        MPDPlayLists::sMPDPlayLists().deletePlaylist(m_playlistAddDelete);
    else if (close == QLatin1String("save"))
        MPDQueue::sMPDQueue().saveQueueAtPlaylist(name);
    else if (close == QLatin1String("new"))
        MPDPlayLists::sMPDPlayLists().newPlaylist(name);
    else if (close == QLatin1String("rename"))
        MPDPlayLists::sMPDPlayLists().renamePlaylist(m_playlistAddDelete, name);
    m_dialogLocked = false;
    // The playlist on screen follows its new name.
    if (close == QLatin1String("rename"))
        updateSidebar(m_playlistAddDelete, name);
    else
        updateSidebar();
}

ConfirmDialog *MainActivity::confirmDialog() const {
    return m_confirmDialog;
}
SetNameDialog *MainActivity::setNameDialog() const {
    return m_setNameDialog;
}

void MainActivity::onError(const MPDError &error) {
    m_errorAlert->show(error);
}

} // namespace kelvane
