#include "ui/views/radio/RadioOverCover.h"

#include "ui/base/Icons.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTimer>
#include <QToolButton>

namespace kelvane {

namespace {

QToolButton *roundButton(const QString &icon, const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setIcon(Icons::icon(icon));
    button->setIconSize(QSize(34, 34));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGraphicsEffect(new QGraphicsOpacityEffect(button));
    return button;
}

QGraphicsOpacityEffect *opacity(const QWidget *button)
{
    return static_cast<QGraphicsOpacityEffect *>(button->graphicsEffect());
}

} // namespace

RadioOverCover::RadioOverCover(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("playMask"));
    m_playButton = roundButton(QStringLiteral("play_button"), tr("Écouter"), this);
    m_addButton = roundButton(QStringLiteral("add"), tr("Ajouter aux streams"), this);
    m_playButton->setObjectName(QStringLiteral("playButton"));
    m_addButton->setObjectName(QStringLiteral("addButton"));
    connect(m_playButton, &QToolButton::clicked, this, &RadioOverCover::playClicked);
    connect(m_addButton, &QToolButton::clicked, this, &RadioOverCover::addClicked);

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(10);
    layout->addStretch();
    layout->addWidget(m_playButton);
    layout->addWidget(m_addButton);
    layout->addStretch();
    reset();
}

qreal RadioOverCover::playAlpha() const
{
    return m_playButton->isVisible() ? opacity(m_playButton)->opacity() : 0.0;
}

qreal RadioOverCover::addAlpha() const
{
    return m_addButton->isVisible() ? opacity(m_addButton)->opacity() : 0.0;
}

void RadioOverCover::reset()
{
    for (QToolButton *button : {m_playButton, m_addButton}) {
        opacity(button)->setOpacity(0.0);
        button->hide();
    }
}

void RadioOverCover::fadeIn(QWidget *button)
{
    auto *animation = new QPropertyAnimation(opacity(button), "opacity", button);
    animation->setDuration(fadeMs);
    animation->setStartValue(opacity(button)->opacity());
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void RadioOverCover::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    m_playButton->show();
    m_addButton->show();
    fadeIn(m_playButton);
    QTimer::singleShot(addDelayMs, this, [this] {
        if (m_hovered)
            fadeIn(m_addButton);
    });
    update();
}

void RadioOverCover::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    // A fade still running would bring a button back after the pointer left.
    for (QToolButton *button : {m_playButton, m_addButton}) {
        for (QPropertyAnimation *animation : button->findChildren<QPropertyAnimation *>())
            animation->stop();
    }
    reset();
    update();
}

void RadioOverCover::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    update();
}

// A light veil over the logo while hovered, so the white buttons read on any logo.
void RadioOverCover::paintEvent(QPaintEvent *)
{
    if (!m_hovered)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
}

} // namespace kelvane
