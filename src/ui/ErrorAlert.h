#pragma once

#include "core/mpd/MPDError.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>

class QWidget;

namespace kelvane {

// The server error alerts of the main window: a window-modal message box with the
// "mpd_server_error" picture and one "Ok" button; the detail goes to the log when the
// user dismisses it. An alert that arrives while one is open waits its turn. GUI thread.
class ErrorAlert : public QObject {
    Q_OBJECT
  public:
    explicit ErrorAlert(QWidget *window, QObject *parent = nullptr);

    void show(const MPDError &error);
    // The box on screen, or null.
    QMessageBox *current() const { return m_current; }
    int pendingCount() const { return int(m_pending.size()); }

  private:
    void showNext();

    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_current;
    QQueue<MPDError> m_pending;
};

} // namespace kelvane
