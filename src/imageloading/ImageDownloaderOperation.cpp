#include "imageloading/ImageDownloaderOperation.h"

#include "core/thread/MainThread.h"
#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageManager.h"

#include <QThread>
#include <QThreadPool>

namespace kelvane {

namespace {
ImageError transportError(const FetchResult &result) {
    using O = FetchResult::Outcome;
    using F = FetchResult::Failure;
    const QString &text = result.errorText;
    switch (result.outcome) {
    case O::Answered:
        return {};
    case O::TooLarge:
        return ImageError::image(0, QStringLiteral("Downloaded image is too large"));
    case O::TimedOut:
        return ImageError::url(URLError::TimedOut, QStringLiteral("The request timed out."));
    case O::InvalidAddress:
        return ImageError::url(URLError::UnsupportedURL, text);
    case O::Cancelled:
        return ImageError::url(URLError::Cancelled, text);
    case O::NetworkError:
        break;
    }
    switch (result.failure) {
    case F::CannotConnect:
        return ImageError::url(URLError::CannotConnectToHost, text);
    case F::HostNotFound:
        return ImageError::url(URLError::CannotFindHost, text);
    case F::ConnectionLost:
        return ImageError::url(URLError::NetworkConnectionLost, text);
    case F::SecureConnection:
        return ImageError::url(URLError::SecureConnectionFailed, text);
    case F::BadResponse:
    case F::TooManyRedirects:
        return ImageError::url(URLError::BadServerResponse, text);
    case F::None:
    case F::Other:
        break;
    }
    return ImageError::url(URLError::Unknown, text);
}

ImageError rejectedError() {
    return ImageError::url(URLError::Cancelled, QStringLiteral("cancelled"));
}

// An answer that is not the picture: an error status, or "not modified" while no cached
// copy exists to stand for it.
bool isRejected(int status) {
    return status >= 400 || status == 304;
}
} // namespace

ImageDownloaderOperation::ImageDownloaderOperation(HttpRequest request,
                                                   ImageDownloaderOptions options,
                                                   QThreadPool *decodePool)
    : m_request(std::move(request)), m_options(options), m_decodePool(decodePool) {}

ImageDownloaderOperation::~ImageDownloaderOperation() {
    if (m_transfer) HttpTransfers::shared().cancel(m_transfer);
}

quint64 ImageDownloaderOperation::addHandlers(ImageDownloaderProgress progress,
                                              ImageDownloaderCompleted completed,
                                              QSize targetSize) {
    QMutexLocker locker(&m_callbacksLock);
    if (m_closed) return 0;
    const quint64 id = m_nextHandlerId++;
    if (progress) m_wantsProgress.store(true);
    m_handlers.append({id, std::move(progress), std::move(completed),
                       targetSize.isEmpty() ? QSize() : targetSize});
    return id;
}

bool ImageDownloaderOperation::cancelHandlers(quint64 id) {
    bool noneLeft = false;
    {
        QMutexLocker locker(&m_callbacksLock);
        m_handlers.removeIf([id](const Handlers &h) { return h.id == id; });
        noneLeft = m_handlers.isEmpty();
    }
    if (!noneLeft || m_finished.load()) return false;
    m_cancelled.store(true);
    if (QThread::currentThread() == thread()) {
        cancel();
    } else {
        std::weak_ptr<ImageDownloaderOperation> weak = weak_from_this();
        QMetaObject::invokeMethod(
            this,
            [weak] {
                if (auto self = weak.lock()) self->cancel();
            },
            Qt::QueuedConnection);
    }
    return true;
}

template <class Step>
void ImageDownloaderOperation::post(const std::weak_ptr<ImageDownloaderOperation> &weak,
                                    Step step) {
    const auto self = weak.lock();
    if (!self) return;
    QMetaObject::invokeMethod(
        self.get(),
        [weak, step] {
            if (const auto alive = weak.lock(); alive && !alive->m_finished.load()) step(*alive);
        },
        Qt::QueuedConnection);
}

void ImageDownloaderOperation::start() {
    if (m_cancelled.load() || m_finished.load()) {
        finish();
        return;
    }
    m_executing.store(true);
    const std::weak_ptr<ImageDownloaderOperation> weak = weak_from_this();
    HttpTransferEvents events;
    events.response = [weak](int status, qint64 length) {
        if (const auto self = weak.lock();
            !self || !(self->m_wantsProgress.load() || self->m_reportsResponse.load()))
            return;
        post(weak,
             [status, length](ImageDownloaderOperation &op) { op.onResponse(status, length); });
    };
    events.progress = [weak](qint64 received, qint64 expected) {
        if (const auto self = weak.lock(); !self || !self->m_wantsProgress.load()) return;
        post(weak, [received, expected](ImageDownloaderOperation &op) {
            op.callProgress(received, qMax<qint64>(0, expected));
        });
    };
    events.finished = [weak](FetchResult result) {
        post(weak, [result = std::move(result)](ImageDownloaderOperation &op) {
            op.onTransferFinished(result);
        });
    };
    m_transfer = HttpTransfers::shared().start(m_request, std::move(events));
    callProgress(0, -1);
    Q_EMIT started();
}

void ImageDownloaderOperation::onResponse(int status, qint64 contentLength) {
    if (!m_transfer) return;
    m_expectedSize = qMax<qint64>(0, contentLength);
    Q_EMIT receivedResponse();
    if (isRejected(status)) {
        // A refused answer is reported as a cancelled task, so it is tried again later.
        // Its body is read (up to a small cap) only so the connection can be reused.
        m_rejected = true;
        return;
    }
    callProgress(0, m_expectedSize);
}

void ImageDownloaderOperation::onTransferFinished(const FetchResult &result) {
    if (!m_transfer) return;
    m_transfer = 0;
    ImageError error;
    if (m_rejected || isRejected(result.status))
        error = rejectedError();
    else if (result.answered())
        m_imageData = result.body;
    else
        error = transportError(result);
    transferEnded(error);
}

void ImageDownloaderOperation::stopTransfer() {
    if (!m_transfer) return;
    HttpTransfers::shared().cancel(m_transfer);
    m_transfer = 0;
}

void ImageDownloaderOperation::transferEnded(const ImageError &error) {
    Q_EMIT stopped();
    if (error.isNull()) Q_EMIT finishedDownload();
    if (error) {
        complete({}, {}, error);
        return;
    }
    {
        QMutexLocker locker(&m_callbacksLock);
        if (m_handlers.isEmpty()) {
            locker.unlock();
            finish();
            return;
        }
    }
    if (m_imageData.isEmpty()) {
        complete({}, {}, ImageError::image(0, QStringLiteral("Image data is nil")));
        return;
    }
    // DownloadIgnoreCachedResponse compares with a cached response; there is no response
    // cache, so no body ever equals one.
    decodeAndComplete();
}

void ImageDownloaderOperation::decodeAndComplete() {
    // The sizes asked for are settled now; a caller arriving while the picture decodes
    // gets a download of its own.
    QList<QSize> sizes;
    {
        QMutexLocker locker(&m_callbacksLock);
        m_closed = true;
        for (const Handlers &h : std::as_const(m_handlers))
            if (!sizes.contains(h.targetSize)) sizes.append(h.targetSize);
    }
    const QByteArray data = m_imageData;
    const QString key = ImageManager::sharedManager().cacheKeyForURL(m_request.url);
    const bool decompress = m_shouldDecompressImages;
    std::weak_ptr<ImageDownloaderOperation> weak = weak_from_this();
    auto decode = [weak, data, key, decompress, sizes] {
        auto &coders = ImageCodersManager::sharedInstance();
        QByteArray bytes = data;
        QList<QImage> images;
        for (const QSize size : sizes) {
            QImage image = scaledImageForKey(key, coders.decodedImageWithData(bytes, size));
            // JPEG comes out of the decoder fully decoded already.
            if (!image.isNull() && decompress && imageFormatOf(image) != ImageFormat::JPEG)
                image = coders.decompressedImageWithImage(image, &bytes, ImageCoderOptions{false});
            images.append(image);
        }
        // Back to the operation's thread; if the operation is gone meanwhile, Qt drops the
        // event with it.
        auto alive = weak.lock();
        if (!alive) return;
        QMetaObject::invokeMethod(
            alive.get(),
            [weak, sizes, images, bytes] {
                auto self = weak.lock();
                if (!self || self->m_finished.load()) return;
                self->completeDecoded(sizes, images, bytes);
            },
            Qt::QueuedConnection);
    };
    if (m_decodePool)
        m_decodePool->start(decode);
    else
        decode();
}

void ImageDownloaderOperation::completeDecoded(const QList<QSize> &sizes,
                                               const QList<QImage> &images,
                                               const QByteArray &data) {
    QList<std::pair<ImageDownloaderCompleted, QImage>> completions;
    {
        QMutexLocker locker(&m_callbacksLock);
        m_closed = true;
        for (const Handlers &h : std::as_const(m_handlers))
            if (h.completed)
                completions.append({h.completed, images.value(sizes.indexOf(h.targetSize))});
    }
    finish();
    const ImageError empty = ImageError::image(0, QStringLiteral("Downloaded image has 0 pixels"));
    for (const auto &[completed, image] : std::as_const(completions)) {
        if (image.width() > 0 && image.height() > 0)
            completed(image, data, {}, true);
        else
            completed({}, {}, empty, true);
    }
}

void ImageDownloaderOperation::complete(const QImage &image, const QByteArray &data,
                                        const ImageError &error) {
    QList<ImageDownloaderCompleted> completions;
    {
        QMutexLocker locker(&m_callbacksLock);
        m_closed = true;
        for (const Handlers &h : std::as_const(m_handlers))
            if (h.completed) completions.append(h.completed);
    }
    // Finished first: a caller asking for the same URL from its completion gets a fresh
    // download rather than joining this ended one.
    finish();
    for (const auto &completed : std::as_const(completions))
        completed(image, data, error, true);
}

void ImageDownloaderOperation::callProgress(qint64 received, qint64 expected) {
    QList<ImageDownloaderProgress> progress;
    {
        QMutexLocker locker(&m_callbacksLock);
        for (const Handlers &h : std::as_const(m_handlers))
            if (h.progress) progress.append(h.progress);
    }
    for (const auto &p : std::as_const(progress))
        p(received, expected, m_request.url);
}

void ImageDownloaderOperation::cancel() {
    if (m_finished.load()) return;
    m_cancelled.store(true);
    if (m_transfer) {
        stopTransfer();
        Q_EMIT stopped();
    }
    finish();
}

void ImageDownloaderOperation::finish() {
    if (m_finished.exchange(true)) return;
    m_executing.store(false);
    stopTransfer();
    // The body went to the callers; the operation itself may outlive this until the event
    // loop deletes it.
    m_imageData = QByteArray();
    {
        QMutexLocker locker(&m_callbacksLock);
        m_closed = true;
        m_handlers.clear();
    }
    Q_EMIT done();
}

} // namespace kelvane
