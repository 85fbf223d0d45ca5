#include "ui/views/radio/RadioNotice.h"

#include "core/mpd/MPDCache.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace kelvane {

QMessageBox *RadioNotice::toast(QWidget *fallback, const QString &title, const QString &message) {
    QWidget *parent = qobject_cast<QWidget *>(MPDCache::sMPDCache().getMainWidow());
    if (!parent) parent = fallback;
    auto *box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("radioNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(title);
    box->setText(title);
    box->setInformativeText(message);
    // A box without buttons would get an automatic one; keep the "Ok" but out of sight.
    box->addButton(QStringLiteral("Ok"), QMessageBox::AcceptRole)->hide();
    box->show();
    QTimer::singleShot(lifetimeMs, box, &QWidget::close);
    return box;
}

} // namespace kelvane
