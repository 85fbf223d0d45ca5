#pragma once

#include "imageloading/ImageCoder.h"

#include <atomic>
#include <memory>

namespace kelvane {

// The coder built on Qt's image plugins (QImageReader / QImageWriter). Stateless, so
// one shared instance serves every thread.
class ImageIOCoder : public ImageCoder {
  public:
    static std::shared_ptr<ImageIOCoder> sharedCoder();

    // Decoding refuses images whose pixels would need more than this many bytes, before
    // allocating them: a hostile file claiming 60000×60000 pixels must not take the
    // process down. 64 MiB holds a 4096×4096 picture at 32 bits per pixel.
    static constexpr qint64 DefaultMaxDecodedBytes = qint64(64) << 20;
    static qint64 maxDecodedBytes();
    static void setMaxDecodedBytes(qint64 bytes);

    bool canDecodeFromData(const QByteArray &data) const override;
    QImage decodedImageWithData(const QByteArray &data) const override;
    QImage decodedImageWithData(const QByteArray &data, QSize targetSize) const override;
    QImage decompressedImageWithImage(const QImage &image, QByteArray *data,
                                      const ImageCoderOptions &options) const override;
    bool canEncodeToFormat(ImageFormat format) const override;
    QByteArray encodedDataWithImage(const QImage &image, ImageFormat format) const override;

    // False for no image; nothing decoded here is animated, so true otherwise.
    static bool shouldDecodeImage(const QImage &image);

  private:
    static std::atomic<qint64> s_maxDecodedBytes;
};

} // namespace kelvane
