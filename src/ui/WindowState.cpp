#include "ui/WindowState.h"

#include "core/settings/Setting.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/SideBar.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>

namespace kelvane::WindowState {

namespace {
const QString kGeometry = QStringLiteral("geometry");
const QString kSplitter = QStringLiteral("splitter");
const QString kPlaylistsFolded = QStringLiteral("playlistsFolded");
const QString kEntry = QStringLiteral("entry");
} // namespace

void restoreGeometry(MainActivity &activity) {
    Setting &setting = Setting::sSetting();
    MainWindow *window = activity.window();
    // restoreGeometry() itself brings a window that would be off every screen back
    // onto one.
    const QByteArray geometry = setting.windowValue(kGeometry).toByteArray();
    if (!geometry.isEmpty()) window->restoreGeometry(geometry);
    const QByteArray splitter = setting.windowValue(kSplitter).toByteArray();
    if (!splitter.isEmpty()) window->splitter()->restoreState(splitter);
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
