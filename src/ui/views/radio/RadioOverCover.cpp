#include "ui/views/radio/RadioOverCover.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTimer>
#include <QToolButton>

namespace kelvane {

namespace {

// A white disc with a dark sign, drawn here rather than taken from the palette-coloured
// pictures: it lies on a logo, whose colours the theme does not know.
QIcon discIcon(bool play) {
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(40, 40) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawEllipse(QRectF(1, 1, 38, 38));
    const QColor sign(30, 30, 30);
    if (play) {
        painter.setBrush(sign);
        painter.drawPolygon(QPolygonF{QPointF(16, 12), QPointF(29, 20), QPointF(16, 28)});
    } else {
        painter.setPen(QPen(sign, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(20, 12), QPointF(20, 28));
        painter.drawLine(QPointF(12, 20), QPointF(28, 20));
    }
    return QIcon(pixmap);
}

QToolButton *roundButton(bool play, const QString &tip, QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setIcon(discIcon(play));
    button->setIconSize(QSize(40, 40));
    button->setFixedSize(40, 40);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGraphicsEffect(new QGraphicsOpacityEffect(button));
    return button;
}

QGraphicsOpacityEffect *opacity(const QWidget *button) {
    return static_cast<QGraphicsOpacityEffect *>(button->graphicsEffect());
}

} // namespace

RadioOverCover::RadioOverCover(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("playMask"));
    m_playButton = roundButton(true, tr("Écouter"), this);
    m_addButton = roundButton(false, tr("Ajouter aux streams"), this);
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

qreal RadioOverCover::playAlpha() const {
    return m_playButton->isVisible() ? opacity(m_playButton)->opacity() : 0.0;
}

qreal RadioOverCover::addAlpha() const {
    return m_addButton->isVisible() ? opacity(m_addButton)->opacity() : 0.0;
}

void RadioOverCover::reset() {
    for (QToolButton *button : {m_playButton, m_addButton}) {
        opacity(button)->setOpacity(0.0);
        button->hide();
    }
}

void RadioOverCover::fadeIn(QWidget *button) {
    auto *animation = new QPropertyAnimation(opacity(button), "opacity", button);
    animation->setDuration(fadeMs);
    animation->setStartValue(opacity(button)->opacity());
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void RadioOverCover::enterEvent(QEnterEvent *event) {
    QWidget::enterEvent(event);
    m_hovered = true;
    m_playButton->show();
    m_addButton->show();
    fadeIn(m_playButton);
    QTimer::singleShot(addDelayMs, this, [this] {
        if (m_hovered) fadeIn(m_addButton);
    });
    update();
}

void RadioOverCover::leaveEvent(QEvent *event) {
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

void RadioOverCover::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    update();
}

// A light veil over the logo while hovered, so the white buttons read on any logo.
void RadioOverCover::paintEvent(QPaintEvent *) {
    if (!m_hovered) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
}

} // namespace kelvane
