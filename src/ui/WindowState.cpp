#include "ui/WindowState.h"

#include "core/settings/Setting.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/SideBar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace kelvane::WindowState {

namespace {
const QString kGeometry = QStringLiteral("geometry");
const QString kSplitter = QStringLiteral("splitter");
const QString kPlaylistsFolded = QStringLiteral("playlistsFolded");
const QString kEntry = QStringLiteral("entry");

// The screen a frame lands on: the one under its centre, else the one it overlaps most,
// else the primary one (a frame off every screen).
QScreen *screenOf(const QRect &frame) {
    if (QScreen *screen = QGuiApplication::screenAt(frame.center())) return screen;
    QScreen *best = QGuiApplication::primaryScreen();
    qint64 most = 0;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > most) {
            most = area;
            best = screen;
        }
    }
    return best;
}

// Fits the window again once the window manager has framed it, with the frame it really
// has: the guess made before it was shown may fall short.
class FramedFit : public QObject {
  public:
    explicit FramedFit(QWidget *window) : QObject(window), m_window(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            if (QWindow *handle = m_window->windowHandle()) handle->installEventFilter(this);
        } else if (watched != m_window && event->type() == QEvent::Expose &&
                   static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            m_window->removeEventFilter(this);
            // After this event, which the window itself has yet to see.
            QMetaObject::invokeMethod(this, &FramedFit::fit, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void fit() {
        deleteLater();
        // A maximised or full-screen window is the window manager's to place.
        if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
        const QRect frame = m_window->frameGeometry(), client = m_window->geometry();
        fitOnScreen(m_window,
                    QMargins(client.left() - frame.left(), client.top() - frame.top(),
                             frame.right() - client.right(), frame.bottom() - client.bottom()));
    }

    QWidget *m_window;
};
} // namespace

QRect fitInside(QRect frame, const QRect &area) {
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    if (frame.right() > area.right()) frame.moveRight(area.right());
    if (frame.bottom() > area.bottom()) frame.moveBottom(area.bottom());
    if (frame.left() < area.left()) frame.moveLeft(area.left());
    if (frame.top() < area.top()) frame.moveTop(area.top());
    return frame;
}

void fitOnScreen(QWidget *window, const QMargins &frameMargins) {
    const Qt::WindowStates state = window->windowState();
    const Qt::WindowStates spread = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    // A window is placed by its frame's corner (pos(), also before it is shown, when
    // restored or moved); a maximised window's normal geometry is its client area.
    const QRect frame = spread ? window->normalGeometry().marginsAdded(frameMargins)
                               : QRect(window->pos(), window->size().grownBy(frameMargins));
    if (frame.isEmpty()) return;
    const QRect area = screenOf(frame)->availableGeometry();
    // A screen smaller than the window's least size (a small one, or a large scale):
    // the least size gives way, or the window could not be wholly on it.
    const QSize room = area.size().shrunkBy(frameMargins).expandedTo(QSize(1, 1));
    window->setMinimumSize(window->minimumSize().boundedTo(room));
    const QRect fitted = fitInside(frame, area);
    if (fitted == frame) return;
    if (spread) {
        // Set while it is not maximised, and maximised again at once (before it is
        // shown, nothing of this is seen).
        window->setWindowState(state & ~spread);
        window->setGeometry(fitted.marginsRemoved(frameMargins));
        window->setWindowState(state);
        return;
    }
    window->resize(fitted.size().shrunkBy(frameMargins));
    // A window never placed (no geometry stored) is the window manager's to place.
    if (window->testAttribute(Qt::WA_Moved) || window->isVisible()) window->move(fitted.topLeft());
}

void restoreGeometry(MainActivity &activity) {
    Setting &setting = Setting::sSetting();
    MainWindow *window = activity.window();
    const QByteArray geometry = setting.windowValue(kGeometry).toByteArray();
    if (!geometry.isEmpty()) window->restoreGeometry(geometry);
    const QByteArray splitter = setting.windowValue(kSplitter).toByteArray();
    if (!splitter.isEmpty()) window->splitter()->restoreState(splitter);
    // The frame is not known before the window manager draws it: a title bar is the
    // usual part of it.
    const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    fitOnScreen(window, QMargins(0, titleBar, 0, 0));
    new FramedFit(window);
}

void restoreView(MainActivity &activity) {
    Setting &setting = Setting::sSetting();
    MainWindow *window = activity.window();
    if (setting.windowValue(kPlaylistsFolded).toString() == QLatin1String("yes"))
        window->sideBar()->setPlaylistGroupExpanded(false);
    const QVariant entry = setting.windowValue(kEntry);
    if (entry.typeId() == QMetaType::QString) activity.restoreEntry(entry.toString());
}

void save(const MainActivity &activity) {
    Setting &setting = Setting::sSetting();
    const MainWindow *window = activity.window();
    setting.setWindowValue(kGeometry, window->saveGeometry());
    setting.setWindowValue(kSplitter, window->splitter()->saveState());
    setting.setWindowValue(kPlaylistsFolded, window->sideBar()->isPlaylistGroupExpanded()
                                                 ? QStringLiteral("no")
                                                 : QStringLiteral("yes"));
    // The album content opened over the grid is not an entry: the grid comes back.
    if (!activity.currentEntry().isEmpty()) setting.setWindowValue(kEntry, activity.currentEntry());
}

} // namespace kelvane::WindowState
