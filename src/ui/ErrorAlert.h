#pragma once

#include "core/mpd/MPDError.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>

class QWidget;

namespace kelvane {

// The server error alerts of the main window: a window-modal message box with the
// "mpd_server_error" picture and one "Ok" button; the detail goes to the log when it
// closes. An alert that arrives while one is open waits its turn. An outage's alert
// (the server could not be reached) closes by itself when the link is back: it would
// only hold the window for news that is no longer true. GUI thread.
class ErrorAlert : public QObject {
    Q_OBJECT
  public:
    explicit ErrorAlert(QWidget *window, QObject *parent = nullptr);

    void show(const MPDError &error);
    // The box on screen, or null.
    QMessageBox *current() const { return m_current; }
    int pendingCount() const { return int(m_pending.size()); }
    // The link is back: outage alerts on screen or waiting go; the others stay.
    void linkRestored();

  private:
    void showNext();

    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_current;
    bool m_currentIsOutage = false;
    QQueue<MPDError> m_pending;
};

} // namespace kelvane
