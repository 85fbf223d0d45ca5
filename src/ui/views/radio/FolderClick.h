#pragma once

#include <QElapsedTimer>

namespace kelvane {

// The double-click window shared by every folder of the radio grid: a click opens a
// window of 0.3 s, and a click inside it (on any folder) is the double click and
// closes the window. So two clicks on folders within 0.3 s open the folder clicked
// second, a single click does nothing, and a click after the window only starts a
// new one. GUI thread.
class FolderClick {
  public:
    static constexpr qint64 windowMs = 300;

    // One click on a folder; true when it completes a double click.
    static bool click();
    // Forgets a pending first click (tests start from a clean state).
    static void reset();

  private:
    static QElapsedTimer &firstClick();
};

} // namespace kelvane
