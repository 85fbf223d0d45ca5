#include "imageloading/ImageFormat.h"

namespace kelvane {

namespace {
// Kept in the image's text map so the tag travels with every shallow copy of the image.
const QString formatTextKey = QStringLiteral("kelvane.imageFormat");
} // namespace

ImageFormat imageFormatForImageData(const QByteArray &data) {
    if (data.isEmpty()) return ImageFormat::Undefined;
    switch (static_cast<unsigned char>(data.at(0))) {
    case 0xFF:
        return ImageFormat::JPEG;
    case 0x89:
        return ImageFormat::PNG;
    default:
        return ImageFormat::Undefined;
    }
}

QByteArray typeFromImageFormat(ImageFormat format) {
    return format == ImageFormat::JPEG ? QByteArrayLiteral("jpeg") : QByteArrayLiteral("png");
}

ImageFormat imageFormatFromType(const QByteArray &type) {
    const QByteArray t = type.toLower();
    if (t == "jpeg" || t == "jpg") return ImageFormat::JPEG;
    if (t == "png") return ImageFormat::PNG;
    return ImageFormat::Undefined;
}

ImageFormat imageFormatOf(const QImage &image) {
    bool ok = false;
    const int value = image.text(formatTextKey).toInt(&ok);
    if (!ok || value < -1 || value > 1) return ImageFormat::Undefined;
    return static_cast<ImageFormat>(value);
}

void setImageFormat(QImage &image, ImageFormat format) {
    if (image.isNull()) return;
    image.setText(formatTextKey, QString::number(static_cast<int>(format)));
}

qint64 memoryCostOf(const QImage &image) {
    return image.isNull() ? 0 : image.sizeInBytes();
}

} // namespace kelvane
