#pragma once

// WindowState — what the main window takes back from the last run: its geometry, the
// sidebar's width and the "Playlist" group's fold state, and the entry it showed.
//   restoreGeometry(activity)  before the window is first shown
//   restoreView(activity)      after the launch sequence (which shows the albums)
//   A value never stored, or one that no longer fits (the screen changed, the playlist
//   is gone), leaves the default in place.
//   save(activity)     when the application ends
// Stored under "window/" in the settings store. GUI thread.
namespace kelvane {

class MainActivity;

namespace WindowState {
void restoreGeometry(MainActivity &activity);
void restoreView(MainActivity &activity);
void save(const MainActivity &activity);
} // namespace WindowState

} // namespace kelvane
