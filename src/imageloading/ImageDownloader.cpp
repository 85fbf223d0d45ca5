#include "imageloading/ImageDownloader.h"

#include "core/thread/MainThread.h"
#include "imageloading/ImageDownloaderOperation.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QThread>

namespace kelvane {

namespace {
int queuePriorityFor(ImageDownloaderOptions options) {
    if (options & DownloadHighPriority) return 4;
    if (options & DownloadLowPriority) return -4;
    return 0;
}

// How much of a refused answer's body is read, so the connection can serve the next
// cover, before the connection is cut.
constexpr qint64 RejectedBodyBytes = 64 * 1024;

qint64 millisecondsOf(double seconds, double fallback) {
    return qint64(qBound(1.0, (seconds > 0 ? seconds : fallback) * 1000.0, 2.0e9));
}
} // namespace

ImageDownloader &ImageDownloader::sharedDownloader() {
    static ImageDownloader *instance = [] {
        auto *downloader = new ImageDownloader; // lives for the whole run
        if (auto *app = QCoreApplication::instance(); app && downloader->thread() != app->thread())
            downloader->moveToThread(app->thread());
        return downloader;
    }();
    return *instance;
}

ImageDownloader::ImageDownloader(QObject *parent) : QObject(parent) {
    // Decoding a cover takes milliseconds; one worker per core keeps the six downloads fed.
    m_decodePool.setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
    m_decodePool.setObjectName(QStringLiteral("org.zorvik.Kelvane"));
    // Fixed text, ASCII already, so it goes out unchanged.
    m_headers.insert("User-Agent", "Kelvane for MacOS)");
    m_headers.insert("Accept", "image/*;q=0.8");
}

ImageDownloader::~ImageDownloader() {
    cancelAllDownloads();
    m_decodePool.waitForDone();
}

// ---------------------------------------------------------------- headers

void ImageDownloader::setValueForHTTPHeaderField(const QByteArray &value, const QByteArray &field) {
    QMutexLocker locker(&m_headersLock);
    if (value.isNull())
        m_headers.remove(field);
    else
        m_headers.insert(field, value);
}

QByteArray ImageDownloader::valueForHTTPHeaderField(const QByteArray &field) const {
    QMutexLocker locker(&m_headersLock);
    return m_headers.value(field);
}

HTTPHeaders ImageDownloader::allHTTPHeaderFields() const {
    QMutexLocker locker(&m_headersLock);
    return m_headers;
}

void ImageDownloader::setHeadersFilter(HeadersFilter filter) {
    QMutexLocker locker(&m_headersLock);
    m_headersFilter = std::move(filter);
}

// ---------------------------------------------------------------- requests

ImageDownloader::OperationPtr
ImageDownloader::createDownloaderOperation(const QUrl &url, ImageDownloaderOptions options) {
    // DownloadUseURLCache has nothing to do: there is no response cache, every cover is
    // fetched from the network (and kept by the image cache instead).
    HttpRequest request;
    request.url = url;
    request.cookies = options & DownloadHandleCookies;
    request.allowInvalidCertificates = options & DownloadAllowInvalidCertificates;
    request.user = m_username;
    request.password = m_password;
    request.limits.maxErrorBodyBytes = RejectedBodyBytes;

    HTTPHeaders headers;
    {
        QMutexLocker locker(&m_headersLock);
        headers = m_headersFilter ? m_headersFilter(url, m_headers) : m_headers;
    }
    // A header removed here is not sent at all, not even the transport's own default.
    if (!headers.contains("Accept")) request.headers.append({"Accept", QByteArray()});
    for (auto it = headers.cbegin(); it != headers.cend(); ++it)
        request.headers.append({it.key(), it.value()});

    // Deleted through the event loop: the last reference may go while the operation is
    // still inside one of its own signals.
    OperationPtr operation(new ImageDownloaderOperation(std::move(request), options, &m_decodePool),
                           [](ImageDownloaderOperation *op) { op->deleteLater(); });
    if (operation->thread() != thread()) operation->moveToThread(thread());
    operation->setShouldDecompressImages(m_shouldDecompressImages);
    operation->setTimeoutMs(millisecondsOf(m_downloadTimeout, 15.0));
    operation->setMaxDurationMs(millisecondsOf(m_maxDownloadDuration, 60.0));
    operation->setMaxBodyBytes(m_maxBodyBytes);
    operation->setQueuePriority(queuePriorityFor(options));

    ImageDownloaderOperation *raw = operation.get();
    connect(raw, &ImageDownloaderOperation::done, this, [this, raw] { operationDone(raw); });
    // The notifications travel by the event loop, like every other completion, and only
    // when someone listens: four events a cover for signals nobody hears were most of the
    // GUI thread's work in a cold grid.
    const auto notify = [this, url](void (ImageDownloader::*signal)(const QUrl &)) {
        return [this, url, signal] {
            if (!isSignalConnected(QMetaMethod::fromSignal(signal))) return;
            QMetaObject::invokeMethod(
                this,
                [this, url, signal] {
                    Q_EMIT(this->*signal)
                    (url);
                },
                Qt::QueuedConnection);
        };
    };
    connect(raw, &ImageDownloaderOperation::started, this,
            notify(&ImageDownloader::downloadStarted));
    connect(raw, &ImageDownloaderOperation::receivedResponse, this,
            notify(&ImageDownloader::downloadReceivedResponse));
    connect(raw, &ImageDownloaderOperation::stopped, this,
            notify(&ImageDownloader::downloadStopped));
    connect(raw, &ImageDownloaderOperation::finishedDownload, this,
            notify(&ImageDownloader::downloadFinished));
    operation->setReportsResponse(
        isSignalConnected(QMetaMethod::fromSignal(&ImageDownloader::downloadReceivedResponse)));
    return operation;
}

std::shared_ptr<ImageDownloadToken>
ImageDownloader::downloadImageWithURL(const QUrl &url, ImageDownloaderOptions options,
                                      ImageDownloaderProgress progress,
                                      ImageDownloaderCompleted completed, QSize targetSize) {
    if (url.isEmpty() || !url.isValid()) {
        if (completed) completed({}, {}, {}, false);
        return nullptr;
    }
    if (!isHttpAddress(url)) {
        // A file, a pipe or any other local address is never opened for a picture.
        if (completed)
            completed({}, {},
                      ImageError::url(URLError::UnsupportedURL,
                                      QStringLiteral("not an http address: ") + url.toString()),
                      true);
        return nullptr;
    }
    OperationPtr operation;
    quint64 id = 0;
    while (id == 0) {
        {
            QMutexLocker locker(&m_operationsLock);
            operation = m_urlOperations.value(url);
            if (!operation || operation->isFinished() || operation->isCancelled() ||
                operation->isClosed()) {
                operation = createDownloaderOperation(url, options);
                m_urlOperations.insert(url, operation);
                m_waiting.append(operation);
            } else if (!operation->isExecuting()) {
                operation->setQueuePriority(queuePriorityFor(options));
            }
        }
        // Zero when the operation ended on its own thread meanwhile: ask again.
        id = operation->addHandlers(progress, completed, targetSize);
    }
    scheduleStart();
    return std::make_shared<ImageDownloadToken>(url, operation, id, this);
}

void ImageDownloader::cancel(const ImageDownloadToken &token) {
    OperationPtr operation = token.downloadOperation();
    if (!operation) return;
    if (operation->cancelHandlers(token.downloadOperationCancelToken())) {
        QMutexLocker locker(&m_operationsLock);
        if (m_urlOperations.value(token.url()) == operation) m_urlOperations.remove(token.url());
    }
}

// ---------------------------------------------------------------- the queue

void ImageDownloader::scheduleStart() {
    {
        QMutexLocker locker(&m_operationsLock);
        if (m_startScheduled) return;
        m_startScheduled = true;
    }
    // Always through the event loop, so callers asking for one URL in the same turn share
    // the download before it starts.
    QMetaObject::invokeMethod(this, &ImageDownloader::startWaiting, Qt::QueuedConnection);
}

void ImageDownloader::startWaiting() {
    for (;;) {
        OperationPtr next;
        {
            QMutexLocker locker(&m_operationsLock);
            m_startScheduled = false;
            if (m_suspended || m_running.size() >= m_maxConcurrent || m_waiting.isEmpty()) return;
            qsizetype best = -1;
            for (qsizetype i = 0; i < m_waiting.size(); ++i) {
                const int priority = m_waiting[i]->queuePriority();
                const bool better = best < 0 || priority > m_waiting[best]->queuePriority() ||
                                    (priority == m_waiting[best]->queuePriority() &&
                                     m_executionOrder == DownloadOrder::LIFO);
                if (better) best = i;
            }
            next = m_waiting.takeAt(best);
            m_running.append(next);
        }
        next->start();
    }
}

void ImageDownloader::operationDone(ImageDownloaderOperation *operation) {
    {
        QMutexLocker locker(&m_operationsLock);
        auto same = [operation](const OperationPtr &op) { return op.get() == operation; };
        m_waiting.removeIf(same);
        m_running.removeIf(same);
        const QUrl url = operation->url();
        if (auto found = m_urlOperations.constFind(url);
            found != m_urlOperations.cend() && found.value().get() == operation)
            m_urlOperations.erase(found);
    }
    scheduleStart();
}

int ImageDownloader::maxConcurrentDownloads() const {
    QMutexLocker locker(&m_operationsLock);
    return m_maxConcurrent;
}

void ImageDownloader::setMaxConcurrentDownloads(int count) {
    {
        QMutexLocker locker(&m_operationsLock);
        m_maxConcurrent = qMax(1, count);
    }
    scheduleStart();
}

int ImageDownloader::currentDownloadCount() const {
    QMutexLocker locker(&m_operationsLock);
    return int(m_waiting.size() + m_running.size());
}

void ImageDownloader::setSuspended(bool suspended) {
    {
        QMutexLocker locker(&m_operationsLock);
        m_suspended = suspended;
    }
    if (!suspended) scheduleStart();
}

void ImageDownloader::cancelAllDownloads() {
    QList<OperationPtr> all;
    {
        QMutexLocker locker(&m_operationsLock);
        all = m_waiting + m_running;
    }
    for (const OperationPtr &operation : std::as_const(all)) {
        if (QThread::currentThread() == operation->thread())
            operation->cancel();
        else
            QMetaObject::invokeMethod(
                operation.get(), [operation] { operation->cancel(); }, Qt::QueuedConnection);
    }
}

} // namespace kelvane
