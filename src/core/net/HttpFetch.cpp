#include "core/net/HttpFetch.h"

#include <QStringDecoder>
#include <future>
#include <memory>

namespace kelvane {

FetchResult HttpFetch::get(const QUrl &url, const FetchLimits &limits) {
    if (!isHttpAddress(url)) {
        FetchResult refused;
        refused.outcome = FetchResult::Outcome::InvalidAddress;
        refused.errorText = QStringLiteral("not an http address: ") + url.toString();
        return refused;
    }
    HttpRequest request;
    request.url = url;
    request.limits = limits;
    // Directory pages are text: compressed they travel in a fraction of the time, and the
    // cap counts the unpacked bytes.
    request.acceptCompressed = true;
    auto answer = std::make_shared<std::promise<FetchResult>>();
    std::future<FetchResult> result = answer->get_future();
    HttpTransfers &transfers = HttpTransfers::shared();
    const HttpTransfers::Id id = transfers.start(
        request, {.finished = [answer](FetchResult r) { answer->set_value(std::move(r)); }});
    // The transfer thread ends the exchange at the time-out; the margin only guards
    // against that thread being starved.
    if (result.wait_for(limits.timeout + std::chrono::seconds(5)) != std::future_status::ready) {
        transfers.cancel(id);
        FetchResult late;
        late.outcome = FetchResult::Outcome::TimedOut;
        late.errorText = QStringLiteral("timed out: ") + url.toString();
        return late;
    }
    return result.get();
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
