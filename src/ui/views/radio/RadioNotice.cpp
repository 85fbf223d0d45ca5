#include "ui/views/radio/RadioNotice.h"

#include "core/mpd/MPDCache.h"
#include "ui/base/Style.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvane {

RadioNotice::RadioNotice(QWidget *parent, const QString &title, const QString &message)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("radioNotice"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
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
    layout->setContentsMargins(28, 18, 28, 18);
    layout->setSpacing(6);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
}

RadioNotice *RadioNotice::toast(QWidget *fallback, const QString &title, const QString &message)
{
    QWidget *parent = qobject_cast<QWidget *>(MPDCache::sMPDCache().getMainWidow());
    if (!parent)
        parent = fallback;
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

QString RadioNotice::title() const
{
    return m_title->text();
}

QString RadioNotice::message() const
{
    return m_message->text();
}

void RadioNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 32, 32, 225));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}

} // namespace kelvane
