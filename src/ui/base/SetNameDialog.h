#pragma once

#include "ui/base/AnswerDialog.h"

#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

// Asks for a name; OK posts the caller's notification with "close" = the answer word
// and "name" = the text as typed (not trimmed), once it holds at least two characters
// and no control character (the label then turns red, saying why in its tooltip).
// Cancel, the window's close button and Escape post "close" = "cancel".
class SetNameDialog : public AnswerDialog {
    Q_OBJECT
  public:
    // Window title, notification name, answer word.
    SetNameDialog(const QString &title, const QString &notification, const QString &answerWord,
                  QWidget *parent = nullptr);
    explicit SetNameDialog(const QStringList &parameters, QWidget *parent = nullptr);

    void showWindow();
    QLineEdit *textField() const { return m_textField; }
    QLabel *label() const { return m_label; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    static constexpr int minimumLength = 2;

  public Q_SLOTS:
    void ok();

  private:
    // Mirrors the rules on the label and the OK button; answers whether the text passes.
    bool checkText(const QString &text);

    QString m_answerWord;
    QLabel *m_label;
    QLineEdit *m_textField;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

} // namespace kelvane
