#include "ui/views/library/AlbumPopover.h"

#include "ui/views/library/AlbumContentView.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/SongTable.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvane {

namespace {
constexpr int gap = 6;
}

AlbumPopover::AlbumPopover(QWidget *parent) : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setObjectName(QStringLiteral("albumContentPopover"));
    m_content = new AlbumContentView(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_content);
    // A popup stays above every other window: a dialog that opens meanwhile (an alert,
    // a name to type) would show beneath it, out of reach. The popover makes way.
    qApp->installEventFilter(this);
}

bool AlbumPopover::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow() && (widget->isModal() || widget->windowType() == Qt::Dialog ||
                                   widget->windowType() == Qt::Sheet))
            QMetaObject::invokeMethod(
                this, [this] { close(); }, Qt::QueuedConnection);
    }
    return QFrame::eventFilter(watched, event);
}

QRect AlbumPopover::placement(const QRect &anchor, QSize size, const QRect &screen) {
    int x = anchor.right() + 1 + gap;
    if (x + size.width() > screen.right() + 1) x = anchor.left() - gap - size.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    int y = anchor.center().y() - size.height() / 2;
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

AlbumPopover *AlbumPopover::display(QWidget *parent, const QRect &anchor, qsizetype songCount) {
    if (s_current) s_current->close();
    auto *popover = new AlbumPopover(parent);
    s_current = popover;
    const QSize size = librarytext::popoverSize(songCount);
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen && parent) screen = parent->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size);
    popover->setGeometry(placement(anchor, size, area));
    popover->show();
    // Opened from the keyboard too (Space on a cover): the songs take the keys at once,
    // on the first one, so the arrows, Enter and the Menu key work without a click.
    SongTable *songs = popover->m_content->albumTableView();
    popover->setAccessibleName(popover->m_content->albumName()->text());
    songs->setFocus(Qt::PopupFocusReason);
    if (songs->model() && songs->model()->rowCount() > 0 && !songs->currentIndex().isValid())
        songs->setCurrentIndex(songs->model()->index(0, 0));
    return popover;
}

} // namespace kelvane
