#pragma once

#include "imageloading/ImageCache.h"
#include "imageloading/ImageError.h"

#include <QByteArray>
#include <QImage>
#include <QUrl>
#include <functional>

namespace kelvane {

// Bits of a manager load (and of a binding's setImageWithURL).
enum ImageLoadOption : unsigned {
    // Load even a URL that failed before this run; a success unblocks it.
    LoadRetryFailed = 1,
    LoadLowPriority = 2,
    // Keep the result in memory only, not on disk.
    LoadCacheMemoryOnly = 4,
    // Accepted and passed on; partial images are not produced.
    LoadProgressive = 8,
    // Download even when cached (the cached image is delivered first).
    LoadRefreshCached = 16,
    LoadContinueInBackground = 32,
    LoadHandleCookies = 64,
    LoadAllowInvalidCertificates = 128,
    LoadHighPriority = 256,
    // Show the placeholder only when the load ends without an image.
    LoadDelayPlaceholder = 512,
    LoadTransformAnimatedImage = 1024,
    // The binding does not set the image itself; it only calls the completion.
    LoadAvoidAutoSetImage = 2048,
    LoadScaleDown = 4096,
    LoadQueryDataWhenInMemory = 8192,
    LoadQueryDiskSync = 16384,
    // Never download.
    LoadFromCacheOnly = 32768,
    LoadForceTransition = 65536,
};
using ImageLoadOptions = unsigned;

// (image, bytes, error, where it came from, finished, URL) — on the application's thread.
using ImageManagerCompletion =
    std::function<void(const QImage &image, const QByteArray &data, const ImageError &error,
                       ImageCacheSource source, bool finished, const QUrl &url)>;

} // namespace kelvane
