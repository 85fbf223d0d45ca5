#include "ui/base/ConfirmDialog.h"

#include "core/notify/NotificationCenter.h"
#include "ui/base/Style.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvane {

ConfirmDialog::ConfirmDialog(const QStringList &p, QWidget *parent)
    : ConfirmDialog(p.value(0, QStringLiteral("")), p.value(1, QStringLiteral("")),
                    p.value(2, QStringLiteral("")), parent) {}

ConfirmDialog::ConfirmDialog(const QString &title, const QString &question,
                             const QString &notification, QWidget *parent)
    : QDialog(parent), m_notification(notification), m_textInfo(new QLabel(question)),
      m_delete(new QPushButton(QStringLiteral("Supprimer"))),
      m_cancel(new QPushButton(QStringLiteral("Annuler"))) {
    setWindowTitle(title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_textInfo->setWordWrap(true);
    m_textInfo->setTextFormat(Qt::PlainText);
    m_textInfo->setMinimumWidth(300);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_delete);
    m_cancel->setDefault(true);
    m_cancel->setAutoDefault(true);
    m_delete->setAutoDefault(false);

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
    layout->addWidget(m_textInfo);
    layout->addLayout(buttons);

    connect(m_delete, &QPushButton::clicked, this, &ConfirmDialog::supprimer);
    connect(m_cancel, &QPushButton::clicked, this, &ConfirmDialog::cancel);
}

void ConfirmDialog::showWindow() {
    show();
    raise();
    activateWindow();
}

void ConfirmDialog::answer(const QString &close) {
    if (m_answered) return;
    m_answered = true;
    hide();
    NotificationCenter::defaultCenter().post(m_notification, {{QStringLiteral("close"), close}});
}

void ConfirmDialog::supprimer() {
    answer(QStringLiteral("delete"));
}
void ConfirmDialog::cancel() {
    answer(QStringLiteral("cancel"));
}

void ConfirmDialog::reject() {
    cancel();
}

void ConfirmDialog::closeEvent(QCloseEvent *event) {
    cancel();
    event->accept();
}

} // namespace kelvane
