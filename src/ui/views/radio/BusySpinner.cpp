#include "ui/views/radio/BusySpinner.h"

#include <QPainter>

namespace kelvane {

BusySpinner::BusySpinner(QWidget *parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
    hide();
}

void BusySpinner::start() {
    m_timer.start();
    show();
}

void BusySpinner::stop() {
    m_timer.stop();
    hide();
}

void BusySpinner::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 2.5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    const QRectF box = QRectF(rect()).adjusted(3, 3, -3, -3);
    // Qt counts arc angles in sixteenths of a degree, anticlockwise.
    painter.drawArc(box, -m_angle * 16, 270 * 16);
}

} // namespace kelvane
