#pragma once

#include <QByteArray>
#include <QImage>

namespace kelvane {

// The two formats the loader tells apart; everything else still decodes through the
// image plugins but counts as undefined.
enum class ImageFormat : int { Undefined = -1, JPEG = 0, PNG = 1 };

// By the first byte only: 0xFF → JPEG, 0x89 → PNG, anything else (or no data) → undefined.
ImageFormat imageFormatForImageData(const QByteArray &data);

// The QImageWriter format name for a format: "jpeg" for JPEG, "png" for every other value.
QByteArray typeFromImageFormat(ImageFormat format);
// The inverse for reader/writer format names: JPEG, PNG, or undefined.
ImageFormat imageFormatFromType(const QByteArray &type);

// The format tag an image carries from its decoding; untagged images answer undefined.
ImageFormat imageFormatOf(const QImage &image);
void setImageFormat(QImage &image, ImageFormat format);

// Memory cost of an image: the bytes of its decoded pixels.
qint64 memoryCostOf(const QImage &image);

} // namespace kelvane
