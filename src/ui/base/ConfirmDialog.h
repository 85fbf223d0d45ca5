#pragma once

#include "ui/base/AnswerDialog.h"

#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace kelvane {

// Asks to confirm a deletion; the answer is posted as the caller's notification with
// "close" = "delete" or "cancel" (closing the window any other way answers "cancel").
class ConfirmDialog : public AnswerDialog {
    Q_OBJECT
  public:
    // Window title, question text, notification name.
    ConfirmDialog(const QString &title, const QString &question, const QString &notification,
                  QWidget *parent = nullptr);
    // The three texts in that order (missing ones read as "").
    explicit ConfirmDialog(const QStringList &parameters, QWidget *parent = nullptr);

    QLabel *textInfo() const { return m_textInfo; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *cancelButton() const { return m_cancel; }

  public Q_SLOTS:
    void supprimer();

  private:
    QLabel *m_textInfo;
    QPushButton *m_delete;
    QPushButton *m_cancel;
};

} // namespace kelvane
