#include "ui/ErrorAlert.h"

#include "ui/base/Icons.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtDebug>

namespace kelvane {

ErrorAlert::ErrorAlert(QWidget *window, QObject *parent) : QObject(parent), m_window(window) {}

void ErrorAlert::show(const MPDError &error) {
    m_pending.enqueue(error);
    if (!m_current) showNext();
}

void ErrorAlert::showNext() {
    if (m_pending.isEmpty()) return;
    const MPDError error = m_pending.dequeue();
    auto *box = new QMessageBox(m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QStringLiteral("Kelvane"));
    box->setIconPixmap(Icons::pixmap(QStringLiteral("mpd_server_error"), QSize(64, 64)));
    box->setText(error.error);
    box->setInformativeText(error.errorDescription);
    box->addButton(tr("Ok"), QMessageBox::AcceptRole);
    box->setWindowModality(Qt::WindowModal);
    // The title stands out and the hint keeps a readable width.
    box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { font-weight: bold; }"
                                      "QLabel#qt_msgbox_informativelabel { min-width: 340px; }"));
    m_current = box;
    m_currentIsOutage = error.outage;
    connect(box, &QMessageBox::finished, this, [this, detail = error.errorDescription] {
        qInfo("%s", qUtf8Printable(detail));
        m_current = nullptr;
        // Let the box finish closing before the next one takes the window.
        QMetaObject::invokeMethod(this, &ErrorAlert::showNext, Qt::QueuedConnection);
    });
    // open(), not exec(): the window and the poll keep running behind the alert.
    box->open();
}

void ErrorAlert::linkRestored() {
    m_pending.removeIf([](const MPDError &error) { return error.outage; });
    // As if dismissed: the detail is logged and the next alert, if any, takes its place.
    if (m_current && m_currentIsOutage) m_current->done(QMessageBox::Accepted);
}

} // namespace kelvane
