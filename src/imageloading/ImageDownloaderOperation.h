#pragma once

#include "core/net/HttpTransfer.h"
#include "imageloading/ImageDownloaderTypes.h"

#include <QMutex>
#include <QObject>
#include <QSize>
#include <atomic>
#include <memory>

class QThreadPool;

namespace kelvane {

// One HTTP download, shared by every caller that asked for its URL meanwhile. Lives on
// the downloader's thread (the application's thread); the exchange runs on the
// process's transfer thread and decoding on a worker pool, and both come back here.
// Handler registration and withdrawal are safe from any thread.
class ImageDownloaderOperation : public QObject,
                                 public std::enable_shared_from_this<ImageDownloaderOperation> {
    Q_OBJECT
  public:
    ImageDownloaderOperation(HttpRequest request, ImageDownloaderOptions options,
                             QThreadPool *decodePool);
    ~ImageDownloaderOperation() override;

    QUrl url() const { return m_request.url; }
    const HttpRequest &request() const { return m_request; }
    ImageDownloaderOptions options() const { return m_options; }

    void setShouldDecompressImages(bool value) { m_shouldDecompressImages = value; }
    // Without any traffic for this long the download fails with -1001.
    void setTimeoutMs(qint64 ms) { m_request.limits.idleTimeout = std::chrono::milliseconds(ms); }
    // Past this the download fails with -1001 however busy: a server that trickles an
    // endless answer must not hold one of the few download slots.
    void setMaxDurationMs(qint64 ms) { m_request.limits.timeout = std::chrono::milliseconds(ms); }
    // Bodies (announced or received) above this fail like an undecodable image.
    void setMaxBodyBytes(qint64 bytes) { m_request.limits.maxBodyBytes = bytes; }

    // Whether receivedResponse is wanted even when no caller follows the progress; set
    // before start(). Without either, the answer's head costs no event on this thread.
    void setReportsResponse(bool value) { m_reportsResponse.store(value); }

    // -4 low, 0 normal, 4 high; matters only while waiting in the queue.
    int queuePriority() const { return m_queuePriority.load(); }
    void setQueuePriority(int priority) { m_queuePriority.store(priority); }

    // Returns the id that withdraws exactly these handlers, or 0 when the operation is
    // already decoding or delivering its result: the caller needs a new one. The picture
    // reaches completed decoded for targetSize (see sizeCovering); invalid means full size.
    quint64 addHandlers(ImageDownloaderProgress progress, ImageDownloaderCompleted completed,
                        QSize targetSize = {});
    // Drops one caller's handlers; with none left the whole download is cancelled.
    // Returns whether that cancelled it.
    bool cancelHandlers(quint64 id);

    void start();
    void cancel();

    bool isExecuting() const { return m_executing.load(); }
    bool isFinished() const { return m_finished.load(); }
    bool isCancelled() const { return m_cancelled.load(); }
    // Decoding or delivering its result: new callers need a new operation.
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
        QSize targetSize; // invalid: full size
    };

    // Hands an event of the transfer thread to this operation's thread; dropped when the
    // operation is gone by then.
    template <class Step>
    static void post(const std::weak_ptr<ImageDownloaderOperation> &weak, Step step);
    void onResponse(int status, qint64 contentLength);
    void onTransferFinished(const FetchResult &result);
    void stopTransfer();
    void transferEnded(const ImageError &error);
    // Decodes once per size asked for, on the pool, then completes every caller.
    void decodeAndComplete();
    void completeDecoded(const QList<QSize> &sizes, const QList<QImage> &images,
                         const QByteArray &data);
    void complete(const QImage &image, const QByteArray &data, const ImageError &error);
    void callProgress(qint64 received, qint64 expected);
    void finish();

    HttpRequest m_request;
    const ImageDownloaderOptions m_options;
    QThreadPool *m_decodePool;
    bool m_shouldDecompressImages = true;
    std::atomic<int> m_queuePriority{0};

    mutable QMutex m_callbacksLock;
    QList<Handlers> m_handlers;
    quint64 m_nextHandlerId = 1;
    bool m_closed = false; // no handlers accepted any more
    // Some caller gave a progress block: only then do body pieces travel to this thread.
    std::atomic<bool> m_wantsProgress{false};
    std::atomic<bool> m_reportsResponse{true};

    HttpTransfers::Id m_transfer = 0; // while the exchange runs
    QByteArray m_imageData;
    qint64 m_expectedSize = 0;
    bool m_rejected = false;

    std::atomic<bool> m_executing{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_cancelled{false};
};

} // namespace kelvane
