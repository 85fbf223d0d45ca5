#include "ui/base/ProgressSliderCell.h"

#include <QPainter>

namespace kelvane {

std::unique_ptr<ProgressSliderCell> ProgressSliderCell::withKnobImage(const SliderImage &knob) {
    if (knob.isNull()) return nullptr;
    auto cell = std::make_unique<ProgressSliderCell>();
    cell->setKnobImage(knob);
    return cell;
}

std::unique_ptr<ProgressSliderCell> ProgressSliderCell::withImages(const SliderImage &knob,
                                                                   const SliderImage &minimum,
                                                                   const SliderImage &maximum) {
    if (knob.isNull() || minimum.isNull() || maximum.isNull()) return nullptr;
    auto cell = std::make_unique<ProgressSliderCell>();
    cell->setKnobImage(knob);
    cell->setMinimumValueImage(minimum);
    cell->setMaximumValueImage(maximum);
    return cell;
}

QRectF ProgressSliderCell::placeKnob(const QRectF &r) {
    const QSizeF k = m_knobImage.size();
    const double dx = (r.width() - k.width()) * 0.5;
    const double dy = (r.height() - k.height()) * 0.5;
    m_currentKnobRect = r.adjusted(dx, dy, -dx, -dy);
    return m_currentKnobRect;
}

bool ProgressSliderCell::drawKnob(QPainter &painter, const QRectF &knobRect) {
    if (m_knobImage.isNull()) return false;
    painter.drawImage(placeKnob(knobRect), m_knobImage.image);
    return true;
}

bool ProgressSliderCell::drawBarInside(QPainter &painter, const QRectF &trackRect) const {
    if (!hasAllImages()) return false;
    drawSliderImage(painter, beforeKnobRect(trackRect), m_minimumValueImage);
    drawSliderImage(painter, afterKnobRect(trackRect), m_maximumValueImage);
    return true;
}

QRectF ProgressSliderCell::beforeKnobRect(const QRectF &t) const {
    const QSizeF m = m_minimumValueImage.size();
    const QRectF &k = m_currentKnobRect;
    if (!m_vertical)
        return QRectF(t.x(), t.center().y() - m.height() * 0.5, k.center().x() - t.x(), m.height());
    return QRectF(t.center().x() - m.width() * 0.5, t.y(), m.width(), k.center().y() - t.y());
}

QRectF ProgressSliderCell::afterKnobRect(const QRectF &t) const {
    const QSizeF m = m_maximumValueImage.size();
    const QRectF &k = m_currentKnobRect;
    if (!m_vertical)
        return QRectF(k.center().x(), t.y() + (t.height() - m.height()) * 0.5,
                      t.width() - k.center().x(), m.height());
    return QRectF(t.x() + (t.width() - m.width()) * 0.5, k.center().y(), m.width(),
                  t.height() - k.center().y());
}

} // namespace kelvane
