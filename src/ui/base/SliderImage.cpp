#include "ui/base/SliderImage.h"

#include <QPainter>
#include <QTransform>
#include <cmath>

namespace kelvane {

namespace {

// Splits one axis into (fixed start, stretching middle, fixed end) for source and target.
struct Span {
    double src[3];
    double dst[3];
};

Span splitAxis(double sourceLength, double capStart, double capEnd, double targetLength) {
    capStart = std::clamp(capStart, 0.0, sourceLength);
    capEnd = std::clamp(capEnd, 0.0, sourceLength - capStart);
    const double middle = sourceLength - capStart - capEnd;
    Span s{{capStart, middle, capEnd}, {capStart, targetLength - capStart - capEnd, capEnd}};
    if (s.dst[1] < 0) {
        const double caps = capStart + capEnd;
        const double k = caps > 0 ? targetLength / caps : 0;
        s.dst[0] = capStart * k;
        s.dst[1] = 0;
        s.dst[2] = capEnd * k;
    }
    return s;
}

} // namespace

void drawSliderImage(QPainter &painter, const QRectF &target, const SliderImage &image) {
    if (image.isNull() || target.width() <= 0 || target.height() <= 0) return;
    const QSizeF size = image.size();
    const qreal ratio = image.image.devicePixelRatio();
    if (!image.hasCapInsets()) {
        painter.drawImage(target, image.image);
        return;
    }
    const Span h =
        splitAxis(size.width(), image.capInsets.left(), image.capInsets.right(), target.width());
    const Span v =
        splitAxis(size.height(), image.capInsets.top(), image.capInsets.bottom(), target.height());
    double sy = 0, dy = target.y();
    for (int row = 0; row < 3; ++row) {
        double sx = 0, dx = target.x();
        for (int col = 0; col < 3; ++col) {
            const QRectF dst(dx, dy, h.dst[col], v.dst[row]);
            const QRectF src(sx * ratio, sy * ratio, h.src[col] * ratio, v.src[row] * ratio);
            if (dst.width() > 0 && dst.height() > 0 && src.width() > 0 && src.height() > 0)
                painter.drawImage(dst, image.image, src);
            sx += h.src[col];
            dx += h.dst[col];
        }
        sy += v.src[row];
        dy += v.dst[row];
    }
}

QImage imageRotated(const QImage &image, double degrees) {
    const double a = std::fmod(degrees, 360.0);
    if (a == 0 || image.isNull()) return image;
    const QSizeF s = image.deviceIndependentSize();
    const double w = s.width(), h = s.height();
    QSizeF turned;
    if (a == 90 || a == -90 || a == 270 || a == -270)
        turned = QSizeF(h, w);
    else if (a == 180 || a == -180)
        turned = QSizeF(w, h);
    else
        turned = QSizeF(std::max(w, h) + 20, std::max(w, h) + 20);

    const qreal ratio = image.devicePixelRatio();
    QImage out((turned * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Turn about the origin, then move the origin to the centre of the new picture.
    QTransform t;
    t.translate(turned.width() * 0.5, turned.height() * 0.5);
    t.rotate(a);
    painter.setTransform(t);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(-w * 0.5, -h * 0.5), image);
    painter.end();
    return out;
}

} // namespace kelvane
