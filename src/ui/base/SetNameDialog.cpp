#include "ui/base/SetNameDialog.h"

#include "core/notify/NotificationCenter.h"
#include "ui/base/Style.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvane {

SetNameDialog::SetNameDialog(const QStringList &p, QWidget *parent)
    : SetNameDialog(p.value(0, QStringLiteral("")), p.value(1, QStringLiteral("")),
                    p.value(2, QStringLiteral("")), parent) {}

SetNameDialog::SetNameDialog(const QString &title, const QString &notification,
                             const QString &answerWord, QWidget *parent)
    : QDialog(parent), m_notification(notification), m_answerWord(answerWord),
      m_textField(new QLineEdit), m_ok(new QPushButton(QStringLiteral("OK"))),
      m_cancel(new QPushButton(QStringLiteral("Annuler"))) {
    setWindowTitle(title);
    setModal(false);
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
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    // The title again inside: clearer than the title bar alone, and still there when
    // the window has no decorations.
    auto *heading = new QLabel(title);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setFont(Style::titleFont());
    layout->addWidget(heading);
    layout->addLayout(row);
    layout->addLayout(buttons);
}

void SetNameDialog::showWindow() {
    show();
    raise();
    activateWindow();
    m_textField->setFocus();
}

void SetNameDialog::post(const QMap<QString, QString> &info) {
    if (m_answered) return;
    m_answered = true;
    NotificationCenter::defaultCenter().post(m_notification, info);
    hide();
}

void SetNameDialog::ok() {
    const QString text = m_textField->text();
    if (text.length() < minimumLength) return;
    post({{QStringLiteral("close"), m_answerWord}, {QStringLiteral("name"), text}});
}

void SetNameDialog::cancel() {
    post({{QStringLiteral("close"), QStringLiteral("cancel")}});
}

void SetNameDialog::reject() {
    cancel();
}

void SetNameDialog::closeEvent(QCloseEvent *event) {
    cancel();
    event->accept();
}

} // namespace kelvane
