#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace kelvane {

// Asks to confirm a deletion; the answer is posted as the caller's notification with
// "close" = "delete" or "cancel". Closing the window any other way (its close button,
// Escape) answers "cancel" too, so the caller is never left waiting. Modeless, above
// its parent. GUI thread.
class ConfirmDialog : public QDialog {
    Q_OBJECT
  public:
    // Window title, question text, notification name.
    ConfirmDialog(const QString &title, const QString &question, const QString &notification,
                  QWidget *parent = nullptr);
    // The three texts in that order (missing ones read as "").
    explicit ConfirmDialog(const QStringList &parameters, QWidget *parent = nullptr);

    void showWindow();
    QLabel *textInfo() const { return m_textInfo; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *cancelButton() const { return m_cancel; }
    QString notificationName() const { return m_notification; }
    bool hasAnswered() const { return m_answered; }

  public Q_SLOTS:
    void supprimer();
    void cancel();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    void answer(const QString &close);

    QString m_notification;
    QLabel *m_textInfo;
    QPushButton *m_delete;
    QPushButton *m_cancel;
    bool m_answered = false;
};

} // namespace kelvane
