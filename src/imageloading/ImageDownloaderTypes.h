#pragma once

#include "imageloading/ImageError.h"

#include <QByteArray>
#include <QImage>
#include <QUrl>
#include <functional>

namespace kelvane {

// Bits given with each download request.
enum ImageDownloaderOption : unsigned {
    DownloadLowPriority = 1,
    // Partial images while data arrives: not supported, the bit is accepted and ignored.
    DownloadProgressive = 2,
    // Let a response cache serve and keep the response (there is none: no effect).
    DownloadUseURLCache = 4,
    // Report no image when the body equals what a response cache held at the start
    // (there is none: no body ever does).
    DownloadIgnoreCachedResponse = 8,
    DownloadContinueInBackground = 16,
    DownloadHandleCookies = 32,
    DownloadAllowInvalidCertificates = 64,
    DownloadHighPriority = 128,
    DownloadScaleDown = 256,
};
using ImageDownloaderOptions = unsigned;

enum class DownloadOrder : int { FIFO = 0, LIFO = 1 };

// (bytes received, bytes expected or -1/0 when unknown, URL). Called on the
// downloader's thread.
using ImageDownloaderProgress =
    std::function<void(qint64 receivedSize, qint64 expectedSize, const QUrl &url)>;
// (image, bytes, error, finished). Always called on the downloader's thread: the
// application's thread, unless the downloader was moved to another (the console does).
using ImageDownloaderCompleted = std::function<void(const QImage &image, const QByteArray &data,
                                                    const ImageError &error, bool finished)>;

} // namespace kelvane
