#pragma once

#include "imageloading/ImageCombinedOperation.h"
#include "imageloading/ImageDownloaderTypes.h"
#include "imageloading/ImageLoadOptions.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSize>
#include <QUrl>
#include <functional>
#include <memory>

namespace kelvane {

class ImageCache;
class ImageDownloader;
class ImageSource;

// Turns "show the image at this URL" into a cache query, a download when needed, a store
// of the result and one completion call on the application's thread. Any thread may
// start a load; the system starts them from the application's thread.
class ImageManager {
  public:
    // Built on the shared cache and the shared downloader.
    static ImageManager &sharedManager();

    ImageManager(ImageCache &cache, ImageDownloader &downloader);
    ImageManager(const ImageManager &) = delete;
    ImageManager &operator=(const ImageManager &) = delete;

    ImageCache &imageCache() const { return m_cache; }
    ImageDownloader &imageDownloader() const { return m_downloader; }

    // Optional hooks (none set in the system).
    std::function<QString(const QUrl &)> cacheKeyFilter;
    std::function<QByteArray(const QImage &, const QByteArray &, const QUrl &)> cacheSerializer;
    std::function<bool(const QUrl &)> shouldDownloadImageForURL;
    std::function<bool(const QUrl &, const ImageError &)> shouldBlockFailedURL;

    // Addresses of scheme go to source instead of the cache and the downloader (null
    // removes it). Set up before the first load.
    void setSourceForScheme(const QString &scheme, std::shared_ptr<ImageSource> source);

    // The key of a URL in the cache: the filter's answer, else the URL's full text.
    QString cacheKeyForURL(const QUrl &url) const;

    // An empty or invalid URL, one that is not http(s) (a local file, say), or one that
    // failed before (without LoadRetryFailed), completes with URLErrorDomain -1100 at once.
    // A memory hit completes before this returns when called on the application's
    // thread. The returned handle cancels the load.
    //
    // targetSize is the size the picture is shown at, in device pixels (a view's size
    // times its device pixel ratio): the picture comes decoded at the smallest size that
    // covers it (see sizeCovering), and memory keeps it at that size, while the disk keeps
    // the original bytes whatever the size asked. An invalid size means full size.
    std::shared_ptr<ImageCombinedOperation>
    loadImageWithURL(const QUrl &url, ImageLoadOptions options, ImageDownloaderProgress progress,
                     ImageManagerCompletion completed, QSize targetSize = {});
    // A text that is not a URL counts as no URL.
    std::shared_ptr<ImageCombinedOperation>
    loadImageWithURL(const QString &url, ImageLoadOptions options, ImageDownloaderProgress progress,
                     ImageManagerCompletion completed, QSize targetSize = {});

    // URLs that failed for a reason other than the network during this run; they are not
    // requested again unless asked with LoadRetryFailed.
    bool isFailedURL(const QUrl &url) const;
    QSet<QUrl> failedURLs() const;
    void removeFailedURL(const QUrl &url);

    void cancelAll();
    bool isRunning() const;
    void saveImageToCache(const QImage &image, const QUrl &url);
    void cachedImageExistsForURL(const QUrl &url, std::function<void(bool)> completion);
    void diskImageExistsForURL(const QUrl &url, std::function<void(bool)> completion);

    // Used by a cancelled operation to leave the running set.
    void removeRunningOperation(const std::shared_ptr<ImageCombinedOperation> &operation);
    void removeRunningOperation(const ImageCombinedOperation *operation);

  private:
    using OperationPtr = std::shared_ptr<ImageCombinedOperation>;

    // What one load asked for, carried through its steps.
    struct Request {
        QUrl url;
        ImageLoadOptions options = 0;
        QSize targetSize;
    };
    void cacheAnswered(const OperationPtr &operation, const Request &request,
                       const ImageDownloaderProgress &progress,
                       const ImageManagerCompletion &completed, const QImage &cachedImage,
                       const QByteArray &cachedData, ImageCacheSource source);
    void downloadAnswered(const OperationPtr &operation, const Request &request,
                          const ImageManagerCompletion &completed, const QImage &cachedImage,
                          const QImage &image, const QByteArray &data, const ImageError &error,
                          bool finished);
    void callCompletion(const OperationPtr &operation, const ImageManagerCompletion &completed,
                        const QImage &image, const QByteArray &data, const ImageError &error,
                        ImageCacheSource source, bool finished, const QUrl &url);

    ImageCache &m_cache;
    ImageDownloader &m_downloader;

    mutable QMutex m_sourcesLock;
    QHash<QString, std::shared_ptr<ImageSource>> m_sources;

    mutable QMutex m_failedURLsLock;
    QSet<QUrl> m_failedURLs;
    mutable QMutex m_runningOperationsLock;
    QList<OperationPtr> m_runningOperations;
};

} // namespace kelvane
