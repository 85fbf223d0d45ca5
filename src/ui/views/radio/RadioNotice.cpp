#include "ui/views/radio/RadioNotice.h"

#include "core/mpd/MPDCache.h"
#include "ui/base/Style.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvane {

RadioNotice::RadioNotice(QWidget *parent, const QString &title, const QString &message)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("radioNotice"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(title);

    m_title = new QLabel(title, this);
    m_title->setFont(Style::subtitleFont());
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_message = new QLabel(message, this);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setMaximumWidth(320);
    for (QLabel *label : {m_title, m_message}) {
        label->setAlignment(Qt::AlignHCenter);
        Style::setTextColor(label, QColor(255, 255, 255));
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 22, 32, 22);
    layout->setSpacing(6);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    setMinimumWidth(260);
}

// A mask rather than a translucent window gives the rounded corners without needing
// a compositing window manager.
void RadioNotice::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 12, 12);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

RadioNotice *RadioNotice::toast(QWidget *fallback, const QString &title, const QString &message) {
    QWidget *parent = qobject_cast<QWidget *>(MPDCache::sMPDCache().getMainWidow());
    if (!parent) parent = fallback;
    auto *notice = new RadioNotice(parent, title, message);
    notice->adjustSize();
    if (parent) {
        const QRect frame = parent->window()->geometry();
        notice->move(frame.center() - notice->rect().center());
    }
    notice->show();
    QTimer::singleShot(lifetimeMs, notice, &QWidget::close);
    return notice;
}

QString RadioNotice::title() const {
    return m_title->text();
}

QString RadioNotice::message() const {
    return m_message->text();
}

void RadioNotice::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(38, 38, 38));
}

} // namespace kelvane
