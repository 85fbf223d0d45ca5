#include "core/net/HttpFetch.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <memory>
#include <optional>

namespace kelvane {

namespace {

bool isHttp(const QUrl &url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// One request of the exchange: the answer, or the address it redirects to.
struct Hop {
    FetchResult result;
    std::optional<QUrl> redirect;
};

Hop fetchOnce(QNetworkAccessManager &manager, const QUrl &url, const FetchLimits &limits,
              const QDeadlineTimer &deadline) {
    Hop hop;
    FetchResult &result = hop.result;
    QNetworkRequest request(url);
    // Redirects are followed here rather than by the manager, so that an https page
    // sending us on to a plain http playlist (common among radio directories; nothing
    // secret travels) works, and every hop shares the one deadline.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool tooLarge = false;
    QByteArray body;

    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
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
        if (tooLarge) return;
        body += reply->read(limits.maxBodyBytes + 1 - body.size());
        if (body.size() > limits.maxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    if (!reply->isFinished()) {
        timer.start(std::max<qint64>(0, deadline.remainingTime()));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    timer.stop();

    if (timedOut) {
        result.outcome = FetchResult::Outcome::TimedOut;
        result.errorText = QStringLiteral("timed out: ") + url.toString();
        return hop;
    }
    if (!tooLarge) {
        body += reply->read(limits.maxBodyBytes + 1 - body.size());
        tooLarge = body.size() > limits.maxBodyBytes;
    }
    if (tooLarge) {
        result.outcome = FetchResult::Outcome::TooLarge;
        result.errorText = QStringLiteral("body too large: ") + url.toString();
        return hop;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // An HTTP error status still comes with a status code and a body; only a failure
    // below HTTP (refused, reset, ...) leaves no status.
    const QNetworkReply::NetworkError error = reply->error();
    // A connection cut in the middle of a body is a failure, not a short page. (HTTP
    // error statuses map to the content and server ranges, from 200 up.)
    if (!status.isValid() || status.toInt() <= 0 ||
        (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
        error == QNetworkReply::ProtocolFailure) {
        result.outcome = FetchResult::Outcome::NetworkError;
        result.errorText = reply->errorString();
        return hop;
    }
    result.outcome = FetchResult::Outcome::Answered;
    result.status = status.toInt();
    result.body = std::move(body);
    const QVariant target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (result.status >= 300 && result.status < 400 && target.isValid())
        hop.redirect = url.resolved(target.toUrl());
    return hop;
}

} // namespace

FetchResult HttpFetch::get(const QUrl &url, const FetchLimits &limits) {
    const QDeadlineTimer deadline(limits.timeout);
    // One manager per call: it belongs to the calling thread, and pool threads come
    // and go; radio fetches are rare enough that its set-up cost does not matter.
    QNetworkAccessManager manager;
    QUrl address = url;
    for (int redirects = 0;; ++redirects) {
        if (!isHttp(address)) {
            FetchResult refused;
            refused.outcome = FetchResult::Outcome::InvalidAddress;
            refused.errorText = QStringLiteral("not an http address: ") + address.toString();
            return refused;
        }
        Hop hop = fetchOnce(manager, address, limits, deadline);
        if (!hop.redirect) return hop.result;
        if (redirects == limits.maxRedirects) {
            FetchResult looping;
            looping.outcome = FetchResult::Outcome::NetworkError;
            looping.errorText = QStringLiteral("too many redirects: ") + url.toString();
            return looping;
        }
        address = *hop.redirect;
    }
}

QString HttpFetch::getText(const QUrl &url, const FetchLimits &limits) {
    const FetchResult result = get(url, limits);
    if (!result.answered()) return QString();
    return decodeUtf8(result.body);
}

QString HttpFetch::decodeUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return QString();
    if (text.isNull()) text = QStringLiteral("");
    return text;
}

} // namespace kelvane
