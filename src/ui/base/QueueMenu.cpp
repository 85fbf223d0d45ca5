#include "ui/base/QueueMenu.h"

#include "core/library/MPDQueue.h"

#include <QAction>
#include <QMenu>

namespace kelvane::queuemenu {

const QString appendTitle = QStringLiteral("Ajouter à la lecture en cours");
const QString playNextTitle = QStringLiteral("Lire ensuite");

QAction *add(QMenu *menu, const QString &playTitle, std::function<void()> play, SongsSource songs) {
    QAction *playAction = menu->addAction(playTitle);
    QObject::connect(playAction, &QAction::triggered, menu, [play] { play(); });
    menu->setDefaultAction(playAction);
    QObject::connect(menu->addAction(appendTitle), &QAction::triggered, menu, [songs] {
        songs([](const QList<Song> &list) { MPDQueue::sMPDQueue().addToQueue(list); });
    });
    QObject::connect(menu->addAction(playNextTitle), &QAction::triggered, menu, [songs] {
        songs([](const QList<Song> &list) { MPDQueue::sMPDQueue().playSongsNext(list); });
    });
    return playAction;
}

} // namespace kelvane::queuemenu
