#pragma once

#include "ui/base/SliderImage.h"

#include <QRectF>
#include <memory>

class QPainter;

namespace kelvane {

// Geometry and drawing of a ProgressSlider: a knob picture centred in the knob's place
// and two track pictures that meet at the knob's centre. No widget of its own, so the
// arithmetic can be checked without a window. GUI thread.
class ProgressSliderCell {
  public:
    ProgressSliderCell() = default;
    // Null without a knob picture.
    static std::unique_ptr<ProgressSliderCell> withKnobImage(const SliderImage &knob);
    // Null unless all three pictures are given.
    static std::unique_ptr<ProgressSliderCell>
    withImages(const SliderImage &knob, const SliderImage &minimum, const SliderImage &maximum);

    const SliderImage &knobImage() const { return m_knobImage; }
    void setKnobImage(const SliderImage &image) { m_knobImage = image; }
    const SliderImage &minimumValueImage() const { return m_minimumValueImage; }
    void setMinimumValueImage(const SliderImage &image) { m_minimumValueImage = image; }
    const SliderImage &maximumValueImage() const { return m_maximumValueImage; }
    void setMaximumValueImage(const SliderImage &image) { m_maximumValueImage = image; }
    QRectF currentKnobRect() const { return m_currentKnobRect; }
    void setCurrentKnobRect(const QRectF &rect) { m_currentKnobRect = rect; }

    bool isVertical() const { return m_vertical; }
    void setVertical(bool vertical) { m_vertical = vertical; }

    // The knob picture's natural size centred in knobRect; remembered as currentKnobRect.
    QRectF placeKnob(const QRectF &knobRect);
    // False when there is no knob picture: the caller draws its ordinary knob.
    bool drawKnob(QPainter &painter, const QRectF &knobRect);
    // False unless all three pictures exist: the caller draws its ordinary track.
    bool drawBarInside(QPainter &painter, const QRectF &trackRect) const;
    bool hasAllImages() const {
        return !m_knobImage.isNull() && !m_minimumValueImage.isNull() &&
               !m_maximumValueImage.isNull();
    }

    // The minimum side of the track, up to the knob's centre.
    QRectF beforeKnobRect(const QRectF &trackRect) const;
    // The maximum side, from the knob's centre (measured from the view's origin).
    QRectF afterKnobRect(const QRectF &trackRect) const;

  private:
    SliderImage m_knobImage;
    SliderImage m_minimumValueImage;
    SliderImage m_maximumValueImage;
    QRectF m_currentKnobRect;
    bool m_vertical = false;
};

} // namespace kelvane
