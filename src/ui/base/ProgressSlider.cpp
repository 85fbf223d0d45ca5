#include "ui/base/ProgressSlider.h"

#include "ui/base/Icons.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <cmath>

namespace kelvane {

ProgressSlider::ProgressSlider(Qt::Orientation orientation, QWidget *parent)
    : QSlider(orientation, parent), m_cell(std::make_unique<ProgressSliderCell>()) {
    m_cell->setVertical(orientation == Qt::Vertical);
    setMinimum(0);
    setMaximum(0);
    // Screen readers read the value's text (the description) again when it changes.
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        if (!m_valueText) return;
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    });
}

void ProgressSlider::setValueText(std::function<QString(double, double)> format) {
    m_valueText = std::move(format);
}

QString ProgressSlider::valueText() const {
    return m_valueText ? m_valueText(doubleValue(), maximumValue()) : QString();
}

ProgressSlider *ProgressSlider::withKnobImage(const SliderImage &knob, Qt::Orientation orientation,
                                              QWidget *parent) {
    auto cell = ProgressSliderCell::withKnobImage(knob);
    if (!cell) return nullptr;
    auto *slider = new ProgressSlider(orientation, parent);
    slider->setSliderCell(std::move(cell));
    return slider;
}

ProgressSlider *ProgressSlider::withImages(const SliderImage &knob, const SliderImage &minimum,
                                           const SliderImage &maximum, Qt::Orientation orientation,
                                           QWidget *parent) {
    auto cell = ProgressSliderCell::withKnobImage(knob);
    if (!cell || minimum.isNull() || maximum.isNull()) return nullptr;
    auto *slider = new ProgressSlider(orientation, parent);
    slider->setSliderCell(std::move(cell));
    slider->setMinimumValueImage(minimum);
    slider->setMaximumValueImage(maximum);
    return slider;
}

ProgressSlider *ProgressSlider::standard(Qt::Orientation orientation, QWidget *parent) {
    return withImages(Icons::image(QStringLiteral("knob")),
                      Icons::image(QStringLiteral("track_min")),
                      Icons::image(QStringLiteral("track_max")), orientation, parent);
}

void ProgressSlider::setSliderCell(std::unique_ptr<ProgressSliderCell> cell) {
    if (!cell) return;
    m_cell = std::move(cell);
    m_cell->setVertical(orientation() == Qt::Vertical);
    update();
}

void ProgressSlider::setKnobImage(const SliderImage &image) {
    m_cell->setKnobImage(image);
    updateGeometry();
    update();
}

SliderImage ProgressSlider::preparedTrackImage(const SliderImage &image, bool minimumSide,
                                               bool vertical) {
    if (image.isNull() || image.hasCapInsets()) return image;
    const double c = image.size().width() - 1;
    if (!vertical)
        return SliderImage(image.image,
                           minimumSide ? QMarginsF(c, 0, 0, 0) : QMarginsF(0, 0, c, 0));
    // Screen y grows downwards: a quarter turn brings the picture's left end to the top,
    // and the minimum side of a vertical slider is the top one here.
    const QImage turned = imageRotated(image.image, 90);
    return SliderImage(turned, minimumSide ? QMarginsF(0, c, 0, 0) : QMarginsF(0, 0, 0, c));
}

void ProgressSlider::setMinimumValueImage(const SliderImage &image) {
    m_cell->setMinimumValueImage(preparedTrackImage(image, true, orientation() == Qt::Vertical));
    update();
}

void ProgressSlider::setMaximumValueImage(const SliderImage &image) {
    m_cell->setMaximumValueImage(preparedTrackImage(image, false, orientation() == Qt::Vertical));
    update();
}

double ProgressSlider::doubleValue() const {
    return double(value()) / scale;
}
void ProgressSlider::setDoubleValue(double v) {
    setValue(int(std::lround(v * scale)));
}
double ProgressSlider::maximumValue() const {
    return double(maximum()) / scale;
}
void ProgressSlider::setMaximumValue(double m) {
    setMaximum(int(std::lround(m * scale)));
}
void ProgressSlider::setMinimumValue(double m) {
    setMinimum(int(std::lround(m * scale)));
}

QSizeF ProgressSlider::knobSize() const {
    if (!m_cell->knobImage().isNull()) return m_cell->knobImage().size();
    return QSizeF(16, 16);
}

QRectF ProgressSlider::knobRect() const {
    const QSizeF k = knobSize();
    const double span = maximum() - minimum();
    const double fraction =
        span > 0 ? std::clamp((sliderPosition() - minimum()) / span, 0.0, 1.0) : 0.0;
    if (orientation() == Qt::Horizontal) {
        const double length = k.width() + 4;
        return QRectF((width() - length) * fraction, 0, length, height());
    }
    const double length = k.height() + 4;
    return QRectF(0, (height() - length) * fraction, width(), length);
}

double ProgressSlider::valueAt(const QPointF &p) const {
    const QSizeF k = knobSize();
    const bool horizontal = orientation() == Qt::Horizontal;
    const double length = (horizontal ? k.width() : k.height()) + 4;
    const double travel = (horizontal ? width() : height()) - length;
    const double along = (horizontal ? p.x() : p.y()) - length * 0.5;
    const double fraction = travel > 0 ? std::clamp(along / travel, 0.0, 1.0) : 0.0;
    return (minimum() + fraction * (maximum() - minimum())) / scale;
}

QSize ProgressSlider::sizeHint() const {
    const QSizeF k = knobSize();
    return orientation() == Qt::Horizontal ? QSize(160, int(k.height()) + 8)
                                           : QSize(int(k.width()) + 8, 160);
}

QSize ProgressSlider::minimumSizeHint() const {
    const QSizeF k = knobSize();
    return orientation() == Qt::Horizontal ? QSize(40, int(k.height()) + 4)
                                           : QSize(int(k.width()) + 4, 40);
}

void ProgressSlider::paintEvent(QPaintEvent *event) {
    if (!m_cell->hasAllImages()) {
        // A cell missing a picture keeps the ordinary look.
        QSlider::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled()) painter.setOpacity(0.45);
    if (maximum() <= minimum()) {
        // Nothing to measure (stopped, a stream): an empty track, without knob.
        m_cell->setCurrentKnobRect(QRectF(trackRect().topLeft(), QSizeF(0, 0)));
        m_cell->drawBarInside(painter, trackRect());
        paintFocus(painter);
        return;
    }
    // The knob is placed first so the track splits at its centre for this value.
    const QRectF knob = m_cell->placeKnob(knobRect());
    m_cell->drawBarInside(painter, trackRect());
    if (isEnabled()) painter.drawImage(knob, m_cell->knobImage().image);
    paintFocus(painter);
}

void ProgressSlider::paintFocus(QPainter &painter) {
    // The pictures have no focused look: keyboard users see a ring in the highlight
    // colour, which both themes keep readable on their background.
    if (!hasFocus()) return;
    painter.setOpacity(1.0);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}

void ProgressSlider::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || maximum() <= minimum()) {
        event->ignore();
        return;
    }
    setSliderDown(true);
    setSliderPosition(int(std::lround(valueAt(event->position()) * scale)));
    event->accept();
}

void ProgressSlider::mouseMoveEvent(QMouseEvent *event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(int(std::lround(valueAt(event->position()) * scale)));
    event->accept();
}

void ProgressSlider::mouseReleaseEvent(QMouseEvent *event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(int(std::lround(valueAt(event->position()) * scale)));
    setSliderDown(false);
    event->accept();
}

} // namespace kelvane
