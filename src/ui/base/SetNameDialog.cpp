#include "ui/base/SetNameDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelvane {

SetNameDialog::SetNameDialog(const QStringList &p, QWidget *parent)
    : SetNameDialog(p.value(0, QStringLiteral("")), p.value(1, QStringLiteral("")),
                    p.value(2, QStringLiteral("")), parent) {}

SetNameDialog::SetNameDialog(const QString &title, const QString &notification,
                             const QString &answerWord, QWidget *parent)
    : AnswerDialog(title, notification, parent), m_answerWord(answerWord),
      m_textField(new QLineEdit), m_ok(new QPushButton(QStringLiteral("OK"))),
      m_cancel(new QPushButton(QStringLiteral("Annuler"))) {
    auto *label = new QLabel(QStringLiteral("Nom :"));
    m_textField->setMinimumWidth(280);
    m_textField->setPlaceholderText(QStringLiteral("Au moins deux caractères"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    // The button only mirrors the rule; ok() checks it again for callers that press it.
    connect(m_textField, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ok->setEnabled(text.length() >= minimumLength); });
    connect(m_textField, &QLineEdit::returnPressed, this, &SetNameDialog::ok);
    connect(m_ok, &QPushButton::clicked, this, &SetNameDialog::ok);
    connect(m_cancel, &QPushButton::clicked, this, &SetNameDialog::cancel);

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_textField, 1);
    setContent(row, {m_cancel, m_ok});
}

void SetNameDialog::showWindow() {
    AnswerDialog::showWindow();
    m_textField->setFocus();
}

void SetNameDialog::ok() {
    const QString text = m_textField->text();
    if (text.length() < minimumLength) return;
    post({{QStringLiteral("close"), m_answerWord}, {QStringLiteral("name"), text}});
}

} // namespace kelvane
