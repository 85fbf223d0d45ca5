#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QPushButton;

namespace kelvane {

// Asks for a name; OK posts the caller's notification with "close" = the answer word
// and "name" = the text as typed (not trimmed), once it holds at least two characters.
// Cancel, the window's close button and Escape post "close" = "cancel". Modeless, above
// its parent. GUI thread.
class SetNameDialog : public QDialog {
    Q_OBJECT
  public:
    // Window title, notification name, answer word.
    SetNameDialog(const QString &title, const QString &notification, const QString &answerWord,
                  QWidget *parent = nullptr);
    explicit SetNameDialog(const QStringList &parameters, QWidget *parent = nullptr);

    void showWindow();
    QLineEdit *textField() const { return m_textField; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QString notificationName() const { return m_notification; }
    bool hasAnswered() const { return m_answered; }

    static constexpr int minimumLength = 2;

  public Q_SLOTS:
    void ok();
    void cancel();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    void post(const QMap<QString, QString> &info);

    QString m_notification;
    QString m_answerWord;
    QLineEdit *m_textField;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    bool m_answered = false;
};

} // namespace kelvane
