#include "imageloading/ImageCoder.h"

#include <cmath>

namespace kelvane {

QSize sizeCovering(QSize imageSize, QSize targetSize) {
    if (imageSize.isEmpty() || targetSize.isEmpty()) return imageSize;
    const double factor = std::max(double(targetSize.width()) / imageSize.width(),
                                   double(targetSize.height()) / imageSize.height());
    if (factor >= 1.0) return imageSize;
    // Rounded up: a pixel short would leave the view a border to stretch over.
    return QSize(std::min(imageSize.width(), int(std::ceil(imageSize.width() * factor - 1e-9))),
                 std::min(imageSize.height(), int(std::ceil(imageSize.height() * factor - 1e-9))));
}

QImage scaledToCover(const QImage &image, QSize targetSize) {
    const QSize size = sizeCovering(image.size(), targetSize);
    if (image.isNull() || size == image.size()) return image;
    QImage scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setImageFormat(scaled, imageFormatOf(image));
    return scaled;
}

QImage ImageCoder::decodedImageWithData(const QByteArray &data, QSize targetSize) const {
    return scaledToCover(decodedImageWithData(data), targetSize);
}

} // namespace kelvane
