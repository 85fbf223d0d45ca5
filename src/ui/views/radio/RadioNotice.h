#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace kelvane {

// The notice the radio grid shows after saving a stream: an informational box with a
// title and a message, no button, over the main window, that closes itself after
// 2 seconds. It does not block the window meanwhile. GUI thread.
class RadioNotice {
  public:
    static constexpr int lifetimeMs = 2000;

    // Shown over MPDCache's main window, or over fallback when there is none.
    static QMessageBox *toast(QWidget *fallback, const QString &title, const QString &message);
};

} // namespace kelvane
