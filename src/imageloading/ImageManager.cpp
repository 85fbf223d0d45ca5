#include "imageloading/ImageManager.h"

#include "core/thread/MainThread.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageCoder.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageSource.h"

#include "core/net/HttpTransfer.h"

namespace kelvane {

namespace {
// Failures that say nothing about the image itself: the URL may work next time.
bool isNetworkError(const ImageError &error) {
    switch (error.code) {
    case URLError::NotConnectedToInternet:
    case URLError::Cancelled:
    case URLError::TimedOut:
    case URLError::InternationalRoamingOff:
    case URLError::DataNotAllowed:
    case URLError::CannotFindHost:
    case URLError::CannotConnectToHost:
    case URLError::NetworkConnectionLost:
        return true;
    default:
        return false;
    }
}

ImageCacheQueryOptions cacheOptionsFor(ImageLoadOptions options) {
    ImageCacheQueryOptions result = 0;
    if (options & LoadQueryDataWhenInMemory) result |= CacheQueryDataEvenInMemory;
    if (options & LoadQueryDiskSync) result |= CacheQueryDiskOnCallerThread;
    if (options & LoadScaleDown) result |= CacheQueryScaleDown;
    return result;
}

ImageDownloaderOptions downloaderOptionsFor(ImageLoadOptions options) {
    ImageDownloaderOptions result = 0;
    if (options & LoadLowPriority) result |= DownloadLowPriority;
    if (options & LoadProgressive) result |= DownloadProgressive;
    if (options & LoadRefreshCached) result |= DownloadUseURLCache;
    if (options & LoadContinueInBackground) result |= DownloadContinueInBackground;
    if (options & LoadHandleCookies) result |= DownloadHandleCookies;
    if (options & LoadAllowInvalidCertificates) result |= DownloadAllowInvalidCertificates;
    if (options & LoadHighPriority) result |= DownloadHighPriority;
    if (options & LoadScaleDown) result |= DownloadScaleDown;
    return result;
}
} // namespace

ImageManager &ImageManager::sharedManager() {
    static ImageManager *instance =
        new ImageManager(ImageCache::sharedImageCache(), ImageDownloader::sharedDownloader());
    return *instance;
}

ImageManager::ImageManager(ImageCache &cache, ImageDownloader &downloader)
    : m_cache(cache), m_downloader(downloader) {}

void ImageManager::setSourceForScheme(const QString &scheme, std::shared_ptr<ImageSource> source) {
    QMutexLocker locker(&m_sourcesLock);
    if (source)
        m_sources.insert(scheme.toLower(), std::move(source));
    else
        m_sources.remove(scheme.toLower());
}

QString ImageManager::cacheKeyForURL(const QUrl &url) const {
    if (url.isEmpty()) return QStringLiteral("");
    if (cacheKeyFilter) return cacheKeyFilter(url);
    return url.toString(QUrl::FullyEncoded);
}

std::shared_ptr<ImageCombinedOperation>
ImageManager::loadImageWithURL(const QString &url, ImageLoadOptions options,
                               ImageDownloaderProgress progress, ImageManagerCompletion completed,
                               QSize targetSize) {
    const QUrl parsed(url, QUrl::StrictMode);
    return loadImageWithURL(parsed.isValid() ? parsed : QUrl(), options, std::move(progress),
                            std::move(completed), targetSize);
}

std::shared_ptr<ImageCombinedOperation>
ImageManager::loadImageWithURL(const QUrl &url, ImageLoadOptions options,
                               ImageDownloaderProgress progress, ImageManagerCompletion completed,
                               QSize targetSize) {
    std::shared_ptr<ImageSource> source;
    if (!url.scheme().isEmpty()) {
        QMutexLocker locker(&m_sourcesLock);
        source = m_sources.value(url.scheme().toLower());
    }
    if (source) return source->load(url, options, targetSize, std::move(completed));
    auto operation = std::make_shared<ImageCombinedOperation>(this);
    const bool failedBefore = isFailedURL(url);
    // Only web addresses name pictures: a file:// address would copy a local file into
    // the cache, and a pipe would block whoever opens it. They count as no URL, before
    // the cache is asked, so nothing fetched for them earlier is shown either.
    const bool usable = !url.isEmpty() && url.isValid() &&
                        !url.toString(QUrl::FullyEncoded).isEmpty() && isHttpAddress(url);
    if (!usable || (failedBefore && !(options & LoadRetryFailed))) {
        const QString why = !usable && !url.isEmpty() ? QStringLiteral("Image URL is not http")
                            : usable                  ? QStringLiteral("Image URL failed before")
                                                      : QStringLiteral("Image URL is empty");
        callCompletion(operation, completed, {}, {},
                       ImageError::url(URLError::FileDoesNotExist, why), ImageCacheSource::None,
                       true, url);
        return operation;
    }
    {
        QMutexLocker locker(&m_runningOperationsLock);
        m_runningOperations.append(operation);
    }
    const QString key = cacheKeyForURL(url);
    const Request request{url, options, targetSize.isEmpty() ? QSize() : targetSize};
    auto query = m_cache.queryCacheOperationForKey(
        key, cacheOptionsFor(options),
        [this, operation, request, progress, completed](const QImage &image, const QByteArray &data,
                                                        ImageCacheSource from) {
            cacheAnswered(operation, request, progress, completed, image, data, from);
        },
        request.targetSize);
    operation->setCacheOperation(std::move(query));
    return operation;
}

void ImageManager::cacheAnswered(const OperationPtr &operation, const Request &request,
                                 const ImageDownloaderProgress &progress,
                                 const ImageManagerCompletion &completed, const QImage &cachedImage,
                                 const QByteArray &cachedData, ImageCacheSource source) {
    const QUrl &url = request.url;
    const ImageLoadOptions options = request.options;
    if (operation->isCancelled()) {
        removeRunningOperation(operation);
        return;
    }
    const bool download = !(options & LoadFromCacheOnly) &&
                          (cachedImage.isNull() || (options & LoadRefreshCached)) &&
                          (!shouldDownloadImageForURL || shouldDownloadImageForURL(url));
    if (!download) {
        if (cachedImage.isNull())
            callCompletion(operation, completed, {}, {}, {}, ImageCacheSource::None, true, url);
        else
            callCompletion(operation, completed, cachedImage, cachedData, {}, source, true, url);
        removeRunningOperation(operation);
        return;
    }

    ImageDownloaderOptions downloaderOptions = downloaderOptionsFor(options);
    if (!cachedImage.isNull()) {
        // Refreshing: show what we have now, and drop the download if it is the same.
        callCompletion(operation, completed, cachedImage, cachedData, {}, source, true, url);
        downloaderOptions &= ~unsigned(DownloadProgressive);
        downloaderOptions |= DownloadIgnoreCachedResponse;
    }
    auto token = m_downloader.downloadImageWithURL(
        url, downloaderOptions, progress,
        [this, operation, request, completed, cachedImage](
            const QImage &image, const QByteArray &data, const ImageError &error, bool finished) {
            downloadAnswered(operation, request, completed, cachedImage, image, data, error,
                             finished);
        },
        request.targetSize);
    operation->setDownloadToken(std::move(token));
}

void ImageManager::downloadAnswered(const OperationPtr &operation, const Request &request,
                                    const ImageManagerCompletion &completed,
                                    const QImage &cachedImage, const QImage &downloaded,
                                    const QByteArray &data, const ImageError &error,
                                    bool finished) {
    const QUrl &url = request.url;
    const ImageLoadOptions options = request.options;
    if (operation->isCancelled()) return;
    if (error) {
        callCompletion(operation, completed, {}, {}, error, ImageCacheSource::None, true, url);
        const bool block =
            shouldBlockFailedURL ? shouldBlockFailedURL(url, error) : !isNetworkError(error);
        if (block) {
            QMutexLocker locker(&m_failedURLsLock);
            m_failedURLs.insert(url);
        }
    } else {
        if (options & LoadRetryFailed) removeFailedURL(url);
        const QString key = cacheKeyForURL(url);
        QImage image = downloaded;
        if (this != &sharedManager() && cacheKeyFilter && !image.isNull())
            image = scaledImageForKey(key, image);
        if ((options & LoadRefreshCached) && !cachedImage.isNull() && image.isNull()) {
            // The server sent what we already showed: nothing new to report.
        } else if (finished) {
            if (!image.isNull()) {
                const QByteArray toStore =
                    cacheSerializer ? cacheSerializer(image, data, url) : data;
                m_cache.storeImage(image, toStore, key, !(options & LoadCacheMemoryOnly), {},
                                   request.targetSize);
            }
            callCompletion(operation, completed, image, data, {}, ImageCacheSource::None, finished,
                           url);
        }
    }
    if (finished) removeRunningOperation(operation);
}

void ImageManager::callCompletion(const OperationPtr &operation,
                                  const ImageManagerCompletion &completed, const QImage &image,
                                  const QByteArray &data, const ImageError &error,
                                  ImageCacheSource source, bool finished, const QUrl &url) {
    if (!completed || operation->isCancelled()) return;
    runOnMainThread([=] {
        if (!operation->isCancelled()) completed(image, data, error, source, finished, url);
    });
}

bool ImageManager::isFailedURL(const QUrl &url) const {
    QMutexLocker locker(&m_failedURLsLock);
    return m_failedURLs.contains(url);
}

QSet<QUrl> ImageManager::failedURLs() const {
    QMutexLocker locker(&m_failedURLsLock);
    return m_failedURLs;
}

void ImageManager::removeFailedURL(const QUrl &url) {
    QMutexLocker locker(&m_failedURLsLock);
    m_failedURLs.remove(url);
}

void ImageManager::cancelAll() {
    QList<OperationPtr> snapshot;
    {
        QMutexLocker locker(&m_runningOperationsLock);
        snapshot = m_runningOperations;
    }
    for (const OperationPtr &operation : std::as_const(snapshot))
        operation->cancel();
}

bool ImageManager::isRunning() const {
    QMutexLocker locker(&m_runningOperationsLock);
    return !m_runningOperations.isEmpty();
}

void ImageManager::saveImageToCache(const QImage &image, const QUrl &url) {
    if (image.isNull() || url.isEmpty()) return;
    m_cache.storeImage(image, cacheKeyForURL(url));
}

void ImageManager::cachedImageExistsForURL(const QUrl &url, std::function<void(bool)> completion) {
    const QString key = cacheKeyForURL(url);
    if (!m_cache.imageFromMemoryCacheForKey(key).isNull()) {
        if (completion) runOnMainThread([completion] { completion(true); });
        return;
    }
    m_cache.diskImageExistsWithKey(key, std::move(completion));
}

void ImageManager::diskImageExistsForURL(const QUrl &url, std::function<void(bool)> completion) {
    m_cache.diskImageExistsWithKey(cacheKeyForURL(url), std::move(completion));
}

void ImageManager::removeRunningOperation(const OperationPtr &operation) {
    removeRunningOperation(operation.get());
}

void ImageManager::removeRunningOperation(const ImageCombinedOperation *operation) {
    QMutexLocker locker(&m_runningOperationsLock);
    m_runningOperations.removeIf(
        [operation](const OperationPtr &op) { return op.get() == operation; });
}

} // namespace kelvane
