#pragma once

#include "imageloading/ImageDownloaderTypes.h"

#include <QMutex>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>

class QNetworkAccessManager;
class QThreadPool;

namespace kelvane {

// One HTTP download, shared by every caller that asked for its URL meanwhile. Lives on
// the downloader's thread (the application's thread) with its network access manager;
// decoding runs on a worker pool and comes back here. Handler registration and
// withdrawal are safe from any thread.
class ImageDownloaderOperation : public QObject,
                                 public std::enable_shared_from_this<ImageDownloaderOperation> {
    Q_OBJECT
  public:
    ImageDownloaderOperation(const QNetworkRequest &request, QNetworkAccessManager *session,
                             ImageDownloaderOptions options, QThreadPool *decodePool);
    ~ImageDownloaderOperation() override;

    QUrl url() const { return m_request.url(); }
    const QNetworkRequest &request() const { return m_request; }
    ImageDownloaderOptions options() const { return m_options; }

    void setShouldDecompressImages(bool value) { m_shouldDecompressImages = value; }
    // Without any traffic for this long the download fails with -1001.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Bodies (announced or received) above this fail like an undecodable image.
    void setMaxBodyBytes(qint64 bytes) { m_maxBodyBytes = bytes; }

    // -4 low, 0 normal, 4 high; matters only while waiting in the queue.
    int queuePriority() const { return m_queuePriority.load(); }
    void setQueuePriority(int priority) { m_queuePriority.store(priority); }

    // Returns the id that withdraws exactly these handlers, or 0 when the operation is
    // already delivering its result (from another thread): the caller needs a new one.
    quint64 addHandlers(ImageDownloaderProgress progress, ImageDownloaderCompleted completed);
    // Drops one caller's handlers; with none left the whole download is cancelled.
    // Returns whether that cancelled it.
    bool cancelHandlers(quint64 id);

    void start();
    void cancel();

    bool isExecuting() const { return m_executing.load(); }
    bool isFinished() const { return m_finished.load(); }
    bool isCancelled() const { return m_cancelled.load(); }
    // Delivering or delivered its result: new callers need a new operation.
    bool isClosed() const {
        QMutexLocker locker(&m_callbacksLock);
        return m_closed;
    }
    qint64 expectedSize() const { return m_expectedSize; }

  Q_SIGNALS:
    // The notifications of one download, emitted on the application's thread.
    void started();
    void receivedResponse();
    void stopped();
    void finishedDownload();
    // The operation is over by any road (done, failed or cancelled).
    void done();

  private:
    struct Handlers {
        quint64 id;
        ImageDownloaderProgress progress;
        ImageDownloaderCompleted completed;
    };

    void onMetaDataChanged();
    void onReadyRead();
    void onReplyFinished();
    void onTimeout();
    void abortReply(const ImageError &error);
    void releaseReply();
    void transferEnded(const ImageError &error);
    void decodeAndComplete();
    void complete(const QImage &image, const QByteArray &data, const ImageError &error);
    void callProgress(qint64 received, qint64 expected);
    void finish();

    QNetworkRequest m_request;
    QPointer<QNetworkAccessManager> m_session;
    const ImageDownloaderOptions m_options;
    QThreadPool *m_decodePool;
    bool m_shouldDecompressImages = true;
    int m_timeoutMs = 15000;
    qint64 m_maxBodyBytes = qint64(32) << 20;
    std::atomic<int> m_queuePriority{0};

    mutable QMutex m_callbacksLock;
    QList<Handlers> m_handlers;
    quint64 m_nextHandlerId = 1;
    bool m_closed = false; // no handlers accepted any more

    QNetworkReply *m_reply = nullptr;
    QTimer *m_timer; // a child, so it follows the operation to the downloader's thread
    QByteArray m_imageData;
    QByteArray m_cachedData;
    qint64 m_expectedSize = 0;
    bool m_responseSeen = false;
    bool m_rejected = false;
    qint64 m_discarded = 0;

    std::atomic<bool> m_executing{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_cancelled{false};
};

} // namespace kelvane
