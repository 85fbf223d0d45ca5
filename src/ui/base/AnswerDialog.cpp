#include "ui/base/AnswerDialog.h"

#include "ui/base/Style.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvane {

AnswerDialog::AnswerDialog(const QString &title, const QString &notification, QWidget *parent)
    : QDialog(parent), m_notification(notification) {
    setWindowTitle(title);
    setModal(false);
}

void AnswerDialog::setContent(QLayout *content, std::initializer_list<QPushButton *> buttons) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    // The title again inside: clearer than the title bar alone, and still there when
    // the window has no decorations.
    auto *heading = new QLabel(windowTitle());
    heading->setObjectName(QStringLiteral("heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setFont(Style::titleFont());
    layout->addWidget(heading);
    layout->addLayout(content);
    layout->addLayout(row);
}

void AnswerDialog::showWindow() {
    show();
    raise();
    activateWindow();
}

void AnswerDialog::post(const NotificationInfo &info) {
    if (m_answered) return;
    m_answered = true;
    hide();
    NotificationCenter::defaultCenter().post(m_notification, info);
}

void AnswerDialog::cancel() {
    post({{QStringLiteral("close"), QStringLiteral("cancel")}});
}

void AnswerDialog::reject() {
    cancel();
}

void AnswerDialog::closeEvent(QCloseEvent *event) {
    cancel();
    event->accept();
}

} // namespace kelvane
