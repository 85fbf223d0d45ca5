#include "ui/views/library/LibraryStyle.h"

#include "core/mpd/MPDStatus.h"

#include "ui/base/Icons.h"
#include "ui/base/Style.h"

namespace kelvane::librarystyle {

QColor playingColour() {
    return Style::accent();
}

QColor secondaryColour(const QPalette &) {
    return Style::secondaryLabelColor();
}

QIcon icon(const QString &name) {
    return Icons::icon(name);
}

QPixmap pixmap(const QString &name, QSize size, qreal devicePixelRatio) {
    return Icons::pixmap(name, size, devicePixelRatio);
}

QIcon stateIcon(qint32 state) {
    // Asked for every painted cell of a marked row: keep the two icons, for the whole
    // run (never destroyed, so none outlives the application object's teardown).
    static const QIcon *play = new QIcon(Icons::icon(QStringLiteral("state_play")));
    static const QIcon *pause = new QIcon(Icons::icon(QStringLiteral("state_pause")));
    if (state == PlayState::Playing) return *play;
    if (state == PlayState::Paused) return *pause;
    return {};
}

} // namespace kelvane::librarystyle
