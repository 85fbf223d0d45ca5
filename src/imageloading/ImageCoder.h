#pragma once

#include "imageloading/ImageFormat.h"

#include <QByteArray>
#include <QImage>

namespace kelvane {

struct ImageCoderOptions {
    // Ask decompression to scale large images down; the image I/O coder ignores it.
    bool scaleDownLargeImages = false;
};

// One way of turning bytes into images and back. Coders are shared between threads:
// every member must be safe to call concurrently.
class ImageCoder {
  public:
    virtual ~ImageCoder() = default;

    virtual bool canDecodeFromData(const QByteArray &data) const = 0;
    // A null image when the bytes do not decode; the result carries its format tag.
    virtual QImage decodedImageWithData(const QByteArray &data) const = 0;
    // The same at the size a view shows it: scaled down (never up) to the smallest size
    // that still covers targetSize, keeping the aspect ratio (see sizeCovering). An
    // invalid targetSize means full size. By default decodes whole and scales once.
    virtual QImage decodedImageWithData(const QByteArray &data, QSize targetSize) const;
    // May replace *data (when given) with bytes matching the returned image.
    virtual QImage decompressedImageWithImage(const QImage &image, QByteArray *data,
                                              const ImageCoderOptions &options) const = 0;
    virtual bool canEncodeToFormat(ImageFormat format) const = 0;
    // Empty bytes when the image cannot be encoded.
    virtual QByteArray encodedDataWithImage(const QImage &image, ImageFormat format) const = 0;
};

// The size an image of imageSize is decoded to for a view showing it at targetSize:
// scaled down, aspect ratio kept, until one side meets the target and the other covers
// it (a view may crop, never stretch). Images already that small, and an invalid or empty
// target, keep their size.
QSize sizeCovering(QSize imageSize, QSize targetSize);

// The image scaled once to sizeCovering(targetSize), smoothly; the format tag is kept.
QImage scaledToCover(const QImage &image, QSize targetSize);

// Cache keys may one day say which scale an image was made for; today every image is
// used at the scale it decoded to.
inline QImage scaledImageForKey(const QString &key, const QImage &image) {
    Q_UNUSED(key);
    return image;
}

} // namespace kelvane
