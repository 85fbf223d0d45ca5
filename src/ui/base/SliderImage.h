#pragma once

#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace kelvane {

// A picture with cap insets, in points: the insets are drawn at their natural size and
// only the band between them stretches, so a round-ended track keeps its round end at
// any length.
struct SliderImage {
    QImage image;
    QMarginsF capInsets;

    SliderImage() = default;
    SliderImage(QImage img, QMarginsF insets = {}) : image(std::move(img)), capInsets(insets) {}

    bool isNull() const { return image.isNull(); }
    bool hasCapInsets() const { return !capInsets.isNull(); }
    // Size in points (pixels divided by the image's device pixel ratio).
    QSizeF size() const { return image.isNull() ? QSizeF() : image.deviceIndependentSize(); }
};

// Draws image into target, keeping the cap insets at their natural size along each
// axis; where the target is shorter than both caps, they shrink in proportion.
void drawSliderImage(QPainter &painter, const QRectF &target, const SliderImage &image);

// A copy turned by degrees (positive turns clockwise on screen); 0 and whole turns
// answer the same image. Quarter turns swap width and height, half turns keep them,
// other angles give a square of side max(w, h) + 20.
QImage imageRotated(const QImage &image, double degrees);

} // namespace kelvane
