#include "ui/views/library/PlaylistMenu.h"

#include "core/library/MPDPlayLists.h"
#include "core/notify/NotificationCenter.h"
#include "ui/base/SetNameDialog.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPointer>

namespace kelvane::playlistmenu {

namespace {
QStringList &storedNames() {
    static QStringList names;
    return names;
}
QPointer<SetNameDialog> &dialog() {
    static QPointer<SetNameDialog> open;
    return open;
}
const QString closeNotification = QStringLiteral("addToNewPlaylistClose");

void addTo(const QString &name, const SongsSource &songs) {
    songs([name](const QList<Song> &list) {
        if (!list.isEmpty()) MPDPlayLists::sMPDPlayLists().addToPlaylist(name, list);
    });
}
} // namespace

void setNames(const QStringList &names) {
    storedNames() = names;
}

QStringList names() {
    return storedNames();
}

QMenu *add(QMenu *menu, SongsSource songs) {
    QMenu *sub = menu->addMenu(
        QCoreApplication::translate("kelvane::playlistmenu", "Ajouter à la playlist"));
    sub->setObjectName(QStringLiteral("addToPlaylistMenu"));
    for (const QString &name : storedNames()) {
        // "&" would be read as a shortcut marker.
        QString title = name;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        sub->addAction(title, sub, [name, songs] { addTo(name, songs); });
    }
    if (!storedNames().isEmpty()) sub->addSeparator();
    // The dialog belongs to a lasting window: a popover (the album's songs) closes when
    // the dialog shows, and would take a dialog of its own along.
    QWidget *parent = menu->parentWidget() ? menu->parentWidget()->window() : nullptr;
    while (parent && parent->windowType() == Qt::Popup && parent->parentWidget())
        parent = parent->parentWidget()->window();
    sub->addAction(QCoreApplication::translate("kelvane::playlistmenu", "Nouvelle playlist…"), sub,
                   [parent, songs] { askNewPlaylist(parent, songs); });
    return sub;
}

SetNameDialog *askNewPlaylist(QWidget *parent, SongsSource songs) {
    if (dialog()) dialog()->deleteLater();
    auto *asking =
        new SetNameDialog(QCoreApplication::translate("kelvane::playlistmenu", "Nouvelle playlist"),
                          closeNotification, QStringLiteral("new"), parent);
    asking->setAttribute(Qt::WA_DeleteOnClose);
    dialog() = asking;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.removeObserver(asking, closeNotification);
    center.observe(closeNotification, asking, [asking, songs](const NotificationInfo &info) {
        NotificationCenter::defaultCenter().removeObserver(asking, closeNotification);
        asking->deleteLater();
        if (info.value(QStringLiteral("close")) != QLatin1String("new")) return;
        addTo(info.value(QStringLiteral("name")), songs);
    });
    asking->showWindow();
    return asking;
}

SetNameDialog *openDialog() {
    return dialog();
}

} // namespace kelvane::playlistmenu
