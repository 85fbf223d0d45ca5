#include "core/net/HttpFetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <memory>

namespace kelvane {

FetchResult HttpFetch::get(const QUrl &url, const FetchLimits &limits)
{
    FetchResult result;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.outcome = FetchResult::Outcome::InvalidAddress;
        result.errorText = QStringLiteral("not an http address: ") + url.toString();
        return result;
    }

    // One manager per call: it belongs to the calling thread, and pool threads come
    // and go; radio fetches are rare enough that its set-up cost does not matter.
    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(limits.maxRedirects);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    bool tooLarge = false;
    QByteArray body;

    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    // A declared length past the cap fails before a byte of the body is read.
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.maxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (tooLarge)
            return;
        body += reply->read(limits.maxBodyBytes + 1 - body.size());
        if (body.size() > limits.maxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    if (!reply->isFinished()) {
        deadline.start(limits.timeout);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();

    if (timedOut) {
        result.outcome = FetchResult::Outcome::TimedOut;
        result.errorText = QStringLiteral("timed out: ") + url.toString();
        return result;
    }
    if (!tooLarge) {
        body += reply->read(limits.maxBodyBytes + 1 - body.size());
        tooLarge = body.size() > limits.maxBodyBytes;
    }
    if (tooLarge) {
        result.outcome = FetchResult::Outcome::TooLarge;
        result.errorText = QStringLiteral("body too large: ") + url.toString();
        return result;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // An HTTP error status still comes with a status code and a body; only a failure
    // below HTTP (refused, reset, redirect loop, ...) leaves no status.
    if (!status.isValid() || status.toInt() <= 0) {
        result.outcome = FetchResult::Outcome::NetworkError;
        result.errorText = reply->errorString();
        return result;
    }
    // A connection cut in the middle of a 200 body is a failure, not a short page.
    const QNetworkReply::NetworkError error = reply->error();
    // (HTTP error statuses map to the content and server ranges, from 200 up.)
    if ((error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || error == QNetworkReply::ProtocolFailure) {
        result.outcome = FetchResult::Outcome::NetworkError;
        result.status = status.toInt();
        result.errorText = reply->errorString();
        return result;
    }
    result.outcome = FetchResult::Outcome::Answered;
    result.status = status.toInt();
    result.body = std::move(body);
    return result;
}

QString HttpFetch::getText(const QUrl &url, const FetchLimits &limits)
{
    const FetchResult result = get(url, limits);
    if (!result.answered())
        return QString();
    return decodeUtf8(result.body);
}

QString HttpFetch::decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    if (text.isNull())
        text = QStringLiteral("");
    return text;
}

} // namespace kelvane
