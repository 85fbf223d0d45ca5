#include "ui/base/SetNameDialog.h"

#include "ui/base/InputCheck.h"
#include "ui/base/Style.h"

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
      m_label(new QLabel(tr("Nom :"))), m_textField(new QLineEdit), m_ok(new QPushButton(tr("OK"))),
      m_cancel(new QPushButton(tr("Annuler"))) {
    m_label->setBuddy(m_textField);
    m_textField->setMinimumWidth(280);
    m_textField->setPlaceholderText(tr("Au moins deux caractères"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    // The button only mirrors the rules; ok() checks them again for callers that press it.
    connect(m_textField, &QLineEdit::textChanged, this, &SetNameDialog::checkText);
    connect(m_textField, &QLineEdit::returnPressed, this, &SetNameDialog::ok);
    connect(m_ok, &QPushButton::clicked, this, &SetNameDialog::ok);
    connect(m_cancel, &QPushButton::clicked, this, &SetNameDialog::cancel);

    auto *row = new QHBoxLayout;
    row->addWidget(m_label);
    row->addWidget(m_textField, 1);
    setContent(row, {m_cancel, m_ok});
}

void SetNameDialog::showWindow() {
    AnswerDialog::showWindow();
    m_textField->setFocus();
}

bool SetNameDialog::checkText(const QString &text) {
    const bool control = inputcheck::hasControlCharacters(text);
    Style::setTextColor(m_label, control ? Style::errorRed() : Style::labelColor());
    const QString why = control ? inputcheck::refusedReason() : QString();
    m_label->setToolTip(why);
    m_textField->setToolTip(why);
    const bool valid = text.length() >= minimumLength && !control;
    m_ok->setEnabled(valid);
    return valid;
}

void SetNameDialog::ok() {
    const QString text = m_textField->text();
    if (!checkText(text)) return;
    post({{QStringLiteral("close"), m_answerWord}, {QStringLiteral("name"), text}});
}

} // namespace kelvane
