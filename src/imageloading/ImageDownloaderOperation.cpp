#include "imageloading/ImageDownloaderOperation.h"

#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageManager.h"
#include "imageloading/MainThread.h"

#include <QAbstractNetworkCache>
#include <QNetworkAccessManager>
#include <QThread>
#include <QThreadPool>

namespace kelvane {

namespace {
ImageError transportError(QNetworkReply::NetworkError error, const QString &text) {
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
    case E::ProxyNotFoundError:
        return ImageError::url(URLError::CannotConnectToHost, text);
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return ImageError::url(URLError::NetworkConnectionLost, text);
    case E::HostNotFoundError:
        return ImageError::url(URLError::CannotFindHost, text);
    case E::TimeoutError:
    case E::ProxyTimeoutError:
        return ImageError::url(URLError::TimedOut, text);
    case E::OperationCanceledError:
        return ImageError::url(URLError::Cancelled, text);
    case E::SslHandshakeFailedError:
        return ImageError::url(URLError::SecureConnectionFailed, text);
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::BackgroundRequestNotAllowedError:
        return ImageError::url(URLError::NotConnectedToInternet, text);
    case E::ProtocolUnknownError:
        return ImageError::url(URLError::UnsupportedURL, text);
    case E::ProtocolInvalidOperationError:
    case E::ProtocolFailure:
    case E::TooManyRedirectsError:
    case E::InsecureRedirectError:
        return ImageError::url(URLError::BadServerResponse, text);
    default:
        break;
    }
    // HTTP-level answers the response check let through (it rejects them first, so this
    // is only a safety net) end like a rejected response.
    if (error >= E::ContentAccessDenied && error <= E::UnknownServerError)
        return ImageError::url(URLError::Cancelled, text);
    return ImageError::url(URLError::Unknown, text);
}

ImageError rejectedError() {
    return ImageError::url(URLError::Cancelled, QStringLiteral("cancelled"));
}

// How much of a refused answer's body is read before the connection is cut.
constexpr qint64 RejectedBodyBytes = 64 * 1024;

bool isFollowedRedirect(QNetworkReply *reply, int status) {
    return status >= 300 && status < 400 && status != 304 &&
           reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid();
}
} // namespace

ImageDownloaderOperation::ImageDownloaderOperation(const QNetworkRequest &request,
                                                   QNetworkAccessManager *session,
                                                   ImageDownloaderOptions options,
                                                   QThreadPool *decodePool)
    : m_request(request), m_session(session), m_options(options), m_decodePool(decodePool) {
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ImageDownloaderOperation::onTimeout);
}

ImageDownloaderOperation::~ImageDownloaderOperation() {
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

quint64 ImageDownloaderOperation::addHandlers(ImageDownloaderProgress progress,
                                              ImageDownloaderCompleted completed) {
    QMutexLocker locker(&m_callbacksLock);
    if (m_closed) return 0;
    const quint64 id = m_nextHandlerId++;
    m_handlers.append({id, std::move(progress), std::move(completed)});
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

void ImageDownloaderOperation::start() {
    if (m_cancelled.load() || m_finished.load()) {
        finish();
        return;
    }
    if ((m_options & DownloadIgnoreCachedResponse) && m_session && m_session->cache()) {
        if (QIODevice *cached = m_session->cache()->data(m_request.url())) {
            m_cachedData = cached->readAll();
            delete cached;
        }
    }
    m_reply = m_session ? m_session->get(m_request) : nullptr;
    m_executing.store(true);
    if (!m_reply) {
        complete({}, {},
                 ImageError::url(URLError::Unknown, QStringLiteral("Task can't be initialized")));
        return;
    }
    connect(m_reply, &QNetworkReply::metaDataChanged, this,
            &ImageDownloaderOperation::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &ImageDownloaderOperation::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &ImageDownloaderOperation::onReplyFinished);
#ifndef QT_NO_SSL
    if (m_options & DownloadAllowInvalidCertificates)
        connect(m_reply, &QNetworkReply::sslErrors, m_reply,
                [reply = m_reply] { reply->ignoreSslErrors(); });
#endif
    m_timer->start(m_timeoutMs);
    callProgress(0, -1);
    Q_EMIT started();
}

void ImageDownloaderOperation::onMetaDataChanged() {
    if (m_responseSeen || !m_reply) return;
    const QVariant statusValue = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusValue.isValid() ? statusValue.toInt() : 0;
    if (isFollowedRedirect(m_reply, status))
        return; // the manager follows it; the answer that counts comes next
    m_responseSeen = true;
    m_timer->start(m_timeoutMs);

    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_expectedSize = length.isValid() ? qMax<qint64>(0, length.toLongLong()) : 0;

    const bool rejected =
        statusValue.isValid() && (status >= 400 || (status == 304 && m_cachedData.isEmpty()));
    Q_EMIT receivedResponse();
    if (rejected) {
        // A refused answer is reported as a cancelled task, so it is tried again later. A
        // short error page is let through to its end (aborting a reply that Qt is about
        // to fail itself earns a warning); a long one is cut off in onReadyRead.
        m_rejected = true;
        return;
    }
    if (m_expectedSize > m_maxBodyBytes) {
        abortReply(ImageError::image(0, QStringLiteral("Downloaded image is too large")));
        return;
    }
    callProgress(0, m_expectedSize);
}

void ImageDownloaderOperation::onReadyRead() {
    if (!m_responseSeen) onMetaDataChanged();
    if (!m_reply || !m_responseSeen) return;
    const QByteArray chunk = m_reply->readAll();
    if (m_rejected) {
        m_discarded += chunk.size();
        if (m_discarded > RejectedBodyBytes) abortReply(rejectedError());
        return;
    }
    if (m_imageData.size() + chunk.size() > m_maxBodyBytes) {
        // A body without a length (or lying about it) must not grow without bound.
        abortReply(ImageError::image(0, QStringLiteral("Downloaded image is too large")));
        return;
    }
    if (m_imageData.isEmpty() && m_expectedSize > 0) m_imageData.reserve(m_expectedSize);
    m_imageData.append(chunk);
    m_timer->start(m_timeoutMs);
    callProgress(m_imageData.size(), m_expectedSize);
}

void ImageDownloaderOperation::onTimeout() {
    abortReply(ImageError::url(URLError::TimedOut, QStringLiteral("The request timed out.")));
}

void ImageDownloaderOperation::onReplyFinished() {
    if (!m_reply) return;
    // A transport failure has no answer to check; an answer whose headers and body came
    // in one go has not been checked yet.
    const bool answered = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!m_responseSeen && (answered || m_reply->error() == QNetworkReply::NoError))
        onMetaDataChanged();
    if (!m_reply) return; // rejected while reading the answer
    if (m_responseSeen) onReadyRead();
    if (!m_reply) return;
    ImageError error;
    if (m_rejected)
        error = rejectedError();
    else if (m_reply->error() != QNetworkReply::NoError)
        error = transportError(m_reply->error(), m_reply->errorString());
    releaseReply();
    transferEnded(error);
}

void ImageDownloaderOperation::abortReply(const ImageError &error) {
    if (!m_reply) return;
    releaseReply();
    transferEnded(error);
}

void ImageDownloaderOperation::releaseReply() {
    m_timer->stop();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    // A reply that already carries an error (an HTTP 404, say) is ending on its own, and
    // aborting it again only earns a warning.
    if (reply->isRunning() && reply->error() == QNetworkReply::NoError) reply->abort();
    reply->deleteLater();
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
    if ((m_options & DownloadIgnoreCachedResponse) && m_imageData == m_cachedData) {
        complete({}, {}, {});
        return;
    }
    decodeAndComplete();
}

void ImageDownloaderOperation::decodeAndComplete() {
    const QByteArray data = m_imageData;
    const QString key = ImageManager::sharedManager().cacheKeyForURL(m_request.url());
    const bool decompress = m_shouldDecompressImages;
    std::weak_ptr<ImageDownloaderOperation> weak = weak_from_this();
    auto decode = [weak, data, key, decompress] {
        auto &coders = ImageCodersManager::sharedInstance();
        QByteArray bytes = data;
        QImage image = scaledImageForKey(key, coders.decodedImageWithData(bytes));
        // JPEG comes out of the decoder fully decoded already.
        if (!image.isNull() && decompress && imageFormatOf(image) != ImageFormat::JPEG)
            image = coders.decompressedImageWithImage(image, &bytes, ImageCoderOptions{false});
        // Back to the operation's thread; if the operation is gone meanwhile, Qt drops the
        // event with it.
        auto alive = weak.lock();
        if (!alive) return;
        QMetaObject::invokeMethod(
            alive.get(),
            [weak, image, bytes] {
                auto self = weak.lock();
                if (!self || self->m_finished.load()) return;
                if (image.width() > 0 && image.height() > 0)
                    self->complete(image, bytes, {});
                else
                    self->complete(
                        {}, {},
                        ImageError::image(0, QStringLiteral("Downloaded image has 0 pixels")));
            },
            Qt::QueuedConnection);
    };
    if (m_decodePool)
        m_decodePool->start(decode);
    else
        decode();
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
        p(received, expected, m_request.url());
}

void ImageDownloaderOperation::cancel() {
    if (m_finished.load()) return;
    m_cancelled.store(true);
    if (m_reply) {
        releaseReply();
        Q_EMIT stopped();
    }
    finish();
}

void ImageDownloaderOperation::finish() {
    if (m_finished.exchange(true)) return;
    m_executing.store(false);
    m_timer->stop();
    {
        QMutexLocker locker(&m_callbacksLock);
        m_closed = true;
        m_handlers.clear();
    }
    Q_EMIT done();
}

} // namespace kelvane
