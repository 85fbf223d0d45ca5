#pragma once

#include "imageloading/ImageCoder.h"

#include <QList>
#include <QMutex>
#include <memory>

namespace kelvane {

// The registry of coders (any thread). Each operation takes a snapshot of the list and
// asks the coders from the last added to the first, so a coder added later overrides
// the image I/O coder for what it accepts.
class ImageCodersManager {
  public:
    static ImageCodersManager &sharedInstance();

    // Starts with the shared image I/O coder.
    ImageCodersManager();

    // A null coder is ignored, as is adding a coder twice.
    void addCoder(std::shared_ptr<ImageCoder> coder);
    void removeCoder(const std::shared_ptr<ImageCoder> &coder);
    QList<std::shared_ptr<ImageCoder>> coders() const;

    bool canDecodeFromData(const QByteArray &data) const;
    QImage decodedImageWithData(const QByteArray &data) const;
    // Decoded at the size a view shows it; an invalid targetSize means full size.
    QImage decodedImageWithData(const QByteArray &data, QSize targetSize) const;
    // The result keeps the input's format tag whatever the coder did.
    QImage decompressedImageWithImage(const QImage &image, QByteArray *data,
                                      const ImageCoderOptions &options) const;
    bool canEncodeToFormat(ImageFormat format) const;
    QByteArray encodedDataWithImage(const QImage &image, ImageFormat format) const;

  private:
    // The list is replaced whole on change, never edited in place, so a snapshot stays
    // valid without holding the lock while decoding.
    mutable QMutex m_lock;
    QList<std::shared_ptr<ImageCoder>> m_coders;
};

} // namespace kelvane
