#include "ui/base/QueueMenu.h"

#include "core/library/MPDQueue.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace kelvane::queuemenu {

// Functions, not constants: the text is translated when a menu is built, once the
// language is installed.
QString appendTitle() {
    return QCoreApplication::translate("kelvane::queuemenu", "Ajouter à la lecture en cours");
}
QString playNextTitle() {
    return QCoreApplication::translate("kelvane::queuemenu", "Lire ensuite");
}

QAction *add(QMenu *menu, const QString &playTitle, std::function<void()> play, SongsSource songs) {
    QAction *playAction = menu->addAction(playTitle);
    QObject::connect(playAction, &QAction::triggered, menu, [play] { play(); });
    menu->setDefaultAction(playAction);
    QObject::connect(menu->addAction(appendTitle()), &QAction::triggered, menu, [songs] {
        songs([](const QList<Song> &list) { MPDQueue::sMPDQueue().addToQueue(list); });
    });
    QObject::connect(menu->addAction(playNextTitle()), &QAction::triggered, menu, [songs] {
        songs([](const QList<Song> &list) { MPDQueue::sMPDQueue().playSongsNext(list); });
    });
    return playAction;
}

} // namespace kelvane::queuemenu
