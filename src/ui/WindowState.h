#pragma once

// WindowState — what the main window takes back from the last run: its geometry, the
// sidebar's width and the "Playlist" group's fold state, and the entry it showed.
// A value never stored, or one that no longer fits (the playlist is gone), leaves the
// default in place. The window always comes back wholly inside the available area of
// the screen it lands on, whatever the last run's screen was (smaller now, another
// scale): first with the frame guessed, once more when the window manager has framed
// it. A maximised window stays maximised; its normal geometry is the one fitted.
// Stored under "window/" in the settings store. GUI thread.
#include <QMargins>
#include <QRect>

class QWidget;

namespace kelvane {

class MainActivity;

namespace WindowState {
// Before the window is first shown; fits it again once it is framed.
void restoreGeometry(MainActivity &activity);
// After the launch sequence (which shows the albums).
void restoreView(MainActivity &activity);
// When the application ends.
void save(const MainActivity &activity);

// Brings window (with this frame around it) wholly inside the available area of its
// screen, shrinking it (and its least size) only as much as the screen asks.
void fitOnScreen(QWidget *window, const QMargins &frame);
// The frame rectangle moved inside area by the least distance, made no larger first.
QRect fitInside(QRect frame, const QRect &area);
} // namespace WindowState

} // namespace kelvane
