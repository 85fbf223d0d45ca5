#pragma once

#include "imageloading/ImageDownloadToken.h"
#include "imageloading/ImageDownloaderTypes.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace kelvane {

class ImageDownloaderOperation;

using HTTPHeaders = QMap<QByteArray, QByteArray>;

// Fetches image bytes over HTTP and hands back decoded images. Lives on the application's
// thread (a private downloader may be moved to a thread of its own); requests may come
// from any thread; the exchanges run on the process's transfer thread, decoding on a
// worker pool. Only http and https addresses are fetched. Requests for a URL already
// being fetched join that download; at most maxConcurrentDownloads run at once, the rest
// wait in FIFO (or LIFO) order, higher priority first. A download ends within its time
// limits whatever the server sends, so a hostile server holds a slot for a bounded time.
class ImageDownloader : public QObject {
    Q_OBJECT
  public:
    static ImageDownloader &sharedDownloader();

    explicit ImageDownloader(QObject *parent = nullptr);
    ~ImageDownloader() override;

    // No URL: completed(null, empty, no error, false) at once and a null token. An address
    // that is not http(s): completed with URLErrorDomain -1002 at once, and a null token.
    // The picture is decoded for a view of targetSize (see sizeCovering); an invalid one
    // means full size. Callers of one URL share the download whatever their sizes.
    std::shared_ptr<ImageDownloadToken> downloadImageWithURL(const QUrl &url,
                                                             ImageDownloaderOptions options,
                                                             ImageDownloaderProgress progress,
                                                             ImageDownloaderCompleted completed,
                                                             QSize targetSize = {});
    void cancel(const ImageDownloadToken &token);

    // A null value removes the header.
    void setValueForHTTPHeaderField(const QByteArray &value, const QByteArray &field);
    QByteArray valueForHTTPHeaderField(const QByteArray &field) const;
    HTTPHeaders allHTTPHeaderFields() const;
    using HeadersFilter = std::function<HTTPHeaders(const QUrl &url, const HTTPHeaders &headers)>;
    void setHeadersFilter(HeadersFilter filter);

    // Seconds without traffic before a download fails with -1001; 0 means 15.
    double downloadTimeout() const { return m_downloadTimeout; }
    void setDownloadTimeout(double seconds) { m_downloadTimeout = seconds; }
    // Seconds a download may last at most, however busy, before it fails with -1001: a
    // server trickling an endless answer gives up its slot then. 0 means 60.
    double maxDownloadDuration() const { return m_maxDownloadDuration; }
    void setMaxDownloadDuration(double seconds) { m_maxDownloadDuration = seconds; }
    DownloadOrder executionOrder() const { return m_executionOrder; }
    void setExecutionOrder(DownloadOrder order) { m_executionOrder = order; }
    bool shouldDecompressImages() const { return m_shouldDecompressImages; }
    void setShouldDecompressImages(bool value) { m_shouldDecompressImages = value; }
    void setUsername(const QString &username) { m_username = username; }
    void setPassword(const QString &password) { m_password = password; }

    // A body larger than this (announced or received) fails with "Downloaded image is too
    // large" instead of filling memory: covers are far smaller. The header block of an
    // answer is capped at 64 KiB and fails as a bad server response.
    static constexpr qint64 DefaultMaxBodyBytes = qint64(32) << 20;
    qint64 maxBodyBytes() const { return m_maxBodyBytes; }
    void setMaxBodyBytes(qint64 bytes) { m_maxBodyBytes = bytes; }

    int maxConcurrentDownloads() const;
    void setMaxConcurrentDownloads(int count);
    // Downloads waiting or running.
    int currentDownloadCount() const;
    void setSuspended(bool suspended);
    void cancelAllDownloads();

  Q_SIGNALS:
    // Emitted on the downloader's thread, after the event that caused them.
    void downloadStarted(const QUrl &url);
    void downloadReceivedResponse(const QUrl &url);
    void downloadStopped(const QUrl &url);
    void downloadFinished(const QUrl &url);

  private:
    using OperationPtr = std::shared_ptr<ImageDownloaderOperation>;

    OperationPtr createDownloaderOperation(const QUrl &url, ImageDownloaderOptions options);
    void scheduleStart();
    void startWaiting();
    void operationDone(ImageDownloaderOperation *operation);

    QThreadPool m_decodePool;

    mutable QMutex m_headersLock;
    HTTPHeaders m_headers;
    HeadersFilter m_headersFilter;

    mutable QMutex m_operationsLock;
    QHash<QUrl, OperationPtr> m_urlOperations;
    QList<OperationPtr> m_waiting; // in order of arrival
    QList<OperationPtr> m_running;
    int m_maxConcurrent = 6;
    bool m_suspended = false;
    bool m_startScheduled = false;

    double m_downloadTimeout = 15.0;
    double m_maxDownloadDuration = 60.0;
    DownloadOrder m_executionOrder = DownloadOrder::FIFO;
    bool m_shouldDecompressImages = true;
    qint64 m_maxBodyBytes = DefaultMaxBodyBytes;
    QString m_username;
    QString m_password;
};

} // namespace kelvane
