#include "imageloading/ImageIOCoder.h"

#include "imageloading/HeapTrim.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kelvane {

std::atomic<qint64> ImageIOCoder::s_maxDecodedBytes{ImageIOCoder::DefaultMaxDecodedBytes};

namespace {
void applyAllocationLimit(qint64 bytes) {
    // The reader's own limit also covers formats whose size is only known while reading.
    // It is process-wide; it is set from here because this is the process's image decoder.
    QImageReader::setAllocationLimit(int(qMax<qint64>(1, (bytes + (1 << 20) - 1) >> 20)));
}

// Decoded covers (100 KiB at the grid's size, a megabyte whole) are made on worker threads
// and freed on whichever thread the memory level evicts them. glibc raises its mmap
// threshold to the size of the first such block freed, after which the pixels are carved
// from per-thread arenas that keep the memory: measured with 2,000 whole covers, the
// process peaked at 311 MiB instead of 176 MiB for a 128 MiB memory level; with covers at
// the grid's size and a 256 KiB threshold, 375 MiB instead of 240 MiB. A fixed threshold
// below the smallest cover keeps every pixel buffer in its own mapping, returned to the
// system when the image goes.
void keepPixelBuffersMapped() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
}
// The size a JPEG is asked at so that libjpeg reduces it by the largest power of two that
// still covers `wanted`. Asked at `wanted` itself, the reader picks the closest of
// libjpeg's eighths (3/8 for a 500-pixel cover shown at 160), whose inverse transform is
// slower in libjpeg-turbo than the SIMD one of a half, a quarter or an eighth. The reader
// takes the reduction from the ratio of the sizes and rounds it up to the next eighth, so
// the size asked is rounded down for that ratio to land on the power of two itself.
QSize jpegDecodeSize(QSize claimed, QSize wanted) {
    int factor = 1;
    while (factor < 8 && claimed.width() / (factor * 2) >= wanted.width() &&
           claimed.height() / (factor * 2) >= wanted.height())
        factor *= 2;
    if (factor == 1) return wanted; // no power of two covers it: the reader's eighth
    return QSize(claimed.width() / factor, claimed.height() / factor);
}
} // namespace

std::shared_ptr<ImageIOCoder> ImageIOCoder::sharedCoder() {
    static const std::shared_ptr<ImageIOCoder> coder = [] {
        keepPixelBuffersMapped();
        applyAllocationLimit(s_maxDecodedBytes.load());
        return std::make_shared<ImageIOCoder>();
    }();
    return coder;
}

qint64 ImageIOCoder::maxDecodedBytes() {
    return s_maxDecodedBytes.load();
}

void ImageIOCoder::setMaxDecodedBytes(qint64 bytes) {
    s_maxDecodedBytes.store(bytes);
    applyAllocationLimit(bytes);
}

bool ImageIOCoder::canDecodeFromData(const QByteArray &) const {
    // The plugins decide while decoding; a refusal shows as a null image.
    return true;
}

QImage ImageIOCoder::decodedImageWithData(const QByteArray &data) const {
    return decodedImageWithData(data, QSize());
}

QImage ImageIOCoder::decodedImageWithData(const QByteArray &data, QSize targetSize) const {
    if (data.isEmpty()) return {};
    // Once the burst this decode belongs to is over, the heap is given back.
    struct Ended {
        ~Ended() { heaptrim::workEnded(); }
    } ended;
    QByteArray bytes = data; // QBuffer wants a non-const array; this is a shallow copy
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize claimed = reader.size();
    // The size of the whole picture's reduction; learnt only by decoding when the header
    // does not tell.
    QSize wanted = sizeCovering(claimed, targetSize);
    if (claimed.isValid()) {
        // Four bytes a pixel is what every decoded format here needs at most. The whole
        // picture is judged, even when only a reduced one is made of it.
        const qint64 needed = qint64(claimed.width()) * qint64(claimed.height()) * 4;
        if (needed > s_maxDecodedBytes.load()) return {};
        // JPEG is decoded reduced by the decoder itself, then smoothly scaled once; other
        // formats are decoded whole and scaled once by the reader.
        if (wanted != claimed)
            reader.setScaledSize(reader.format() == "jpeg" ? jpegDecodeSize(claimed, wanted)
                                                           : wanted);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    if (memoryCostOf(image) > s_maxDecodedBytes.load()) return {};
    if (!claimed.isValid()) wanted = sizeCovering(image.size(), targetSize);
    // A JPEG reduced by a power of two, or a size learnt only by decoding: scaled now, to
    // the size made from the whole picture's (the reduction's rounding would skew it).
    if (image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setImageFormat(image, imageFormatForImageData(data));
    return image;
}

QImage ImageIOCoder::decompressedImageWithImage(const QImage &image, QByteArray *,
                                                const ImageCoderOptions &) const {
    // QImage holds decoded pixels already; there is nothing left to force.
    return image;
}

bool ImageIOCoder::canEncodeToFormat(ImageFormat) const {
    return true;
}

QByteArray ImageIOCoder::encodedDataWithImage(const QImage &image, ImageFormat format) const {
    if (image.isNull()) return {};
    if (format == ImageFormat::Undefined)
        format = image.hasAlphaChannel() ? ImageFormat::PNG : ImageFormat::JPEG;

    // A view on the same pixels without the text map, so our format tag is not written
    // into the file as metadata.
    QImage bare(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                image.format());
    bare.setColorTable(image.colorTable());
    bare.setColorSpace(image.colorSpace());

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QImageWriter writer(&buffer, typeFromImageFormat(format));
    if (!writer.write(bare)) return {};
    buffer.close();
    return bytes;
}

bool ImageIOCoder::shouldDecodeImage(const QImage &image) {
    return !image.isNull();
}

} // namespace kelvane
