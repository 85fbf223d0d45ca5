#pragma once

#include "core/notify/NotificationCenter.h"

#include <QDialog>
#include <initializer_list>

class QLayout;
class QPushButton;

namespace kelvane {

// The result protocol of the small dialogs: one answer, posted as the caller's
// notification; every way of leaving without an answer (Cancel, the window's close
// button, Escape) posts "close" = "cancel", so the caller is never left waiting.
// Modeless, above its parent. GUI thread.
class AnswerDialog : public QDialog {
    Q_OBJECT
  public:
    void showWindow();
    QString notificationName() const { return m_notification; }
    bool hasAnswered() const { return m_answered; }

  public Q_SLOTS:
    void cancel();

  protected:
    AnswerDialog(const QString &title, const QString &notification, QWidget *parent);
    // The title again as a heading, then the content, then the buttons on the right.
    void setContent(QLayout *content, std::initializer_list<QPushButton *> buttons);
    // Hides the dialog and posts the answer; only the first answer counts.
    void post(const NotificationInfo &info);

    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    QString m_notification;
    bool m_answered = false;
};

} // namespace kelvane
