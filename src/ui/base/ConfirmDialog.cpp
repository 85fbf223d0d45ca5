#include "ui/base/ConfirmDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvane {

ConfirmDialog::ConfirmDialog(const QStringList &p, QWidget *parent)
    : ConfirmDialog(p.value(0, QStringLiteral("")), p.value(1, QStringLiteral("")),
                    p.value(2, QStringLiteral("")), parent) {}

ConfirmDialog::ConfirmDialog(const QString &title, const QString &question,
                             const QString &notification, QWidget *parent)
    : AnswerDialog(title, notification, parent), m_textInfo(new QLabel(question)),
      m_delete(new QPushButton(tr("Supprimer"))), m_cancel(new QPushButton(tr("Annuler"))) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_textInfo->setWordWrap(true);
    m_textInfo->setTextFormat(Qt::PlainText);
    m_textInfo->setMinimumWidth(300);

    m_cancel->setDefault(true);
    m_cancel->setAutoDefault(true);
    m_delete->setAutoDefault(false);

    auto *content = new QVBoxLayout;
    content->addWidget(m_textInfo);
    setContent(content, {m_cancel, m_delete});

    connect(m_delete, &QPushButton::clicked, this, &ConfirmDialog::supprimer);
    connect(m_cancel, &QPushButton::clicked, this, &ConfirmDialog::cancel);
}

void ConfirmDialog::supprimer() {
    post({{QStringLiteral("close"), QStringLiteral("delete")}});
}

} // namespace kelvane
