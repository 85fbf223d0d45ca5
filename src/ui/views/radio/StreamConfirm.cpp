#include "ui/views/radio/StreamConfirm.h"

#include "core/notify/NotificationCenter.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace kelvane {

QWidget *openStreamConfirm(QWidget *parent, const QString &title, const QString &message,
                           const QString &notification)
{
    auto *box = new QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("ConfirmDialog"));
    box->setWindowTitle(title);
    auto *text = new QLabel(message, box);
    text->setObjectName(QStringLiteral("textInfo"));
    text->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(box);
    QPushButton *confirm = buttons->addButton(QObject::tr("Supprimer"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QObject::tr("Annuler"), QDialogButtonBox::RejectRole);
    confirm->setObjectName(QStringLiteral("supprimer"));
    cancel->setObjectName(QStringLiteral("cancel"));
    auto answer = [box, notification](const QString &close) {
        box->close();
        NotificationCenter::defaultCenter().post(notification, {{QStringLiteral("close"), close}});
    };
    QObject::connect(confirm, &QPushButton::clicked, box, [answer] { answer(QStringLiteral("delete")); });
    QObject::connect(cancel, &QPushButton::clicked, box, [answer] { answer(QStringLiteral("cancel")); });
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(text);
    layout->addWidget(buttons);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

} // namespace kelvane
