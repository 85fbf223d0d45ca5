#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>

namespace kelvane::test {

// A small picture with some structure, so JPEG does not collapse it to nothing.
inline QImage patternImage(int width, int height, bool alpha = false, int seed = 0) {
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgba((x * 7 + seed) & 0xFF, (y * 5 + seed * 3) & 0xFF,
                                 ((x ^ y) + seed * 11) & 0xFF, alpha ? (x * 3) & 0xFF : 0xFF));
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

inline QByteArray jpegBytes(int width = 16, int height = 12, int seed = 0) {
    return encoded(patternImage(width, height, false, seed), "jpeg");
}

inline QByteArray pngBytes(int width = 16, int height = 12, bool alpha = true) {
    return encoded(patternImage(width, height, alpha), "png");
}

inline quint32 crc32Of(const QByteArray &data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A valid small PNG whose header claims width × height pixels.
inline QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray png = pngBytes(4, 4, false);
    // Signature (8) + length (4) + "IHDR" (4), then width and height, big-endian.
    auto put32 = [&png](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
    };
    put32(16, width);
    put32(20, height);
    put32(29, crc32Of(png.mid(12, 17))); // CRC over type and the 13 data bytes
    return png;
}

} // namespace kelvane::test
