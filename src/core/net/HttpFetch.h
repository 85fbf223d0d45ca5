#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>

namespace kelvane {

// Bounds of one whole-body fetch. A directory page or a stream playlist is a few
// kilobytes; a body past the cap is not one of them (an audio stream answered in place
// of a playlist, a hostile server), so the fetch stops reading and fails.
struct FetchLimits {
    // The whole exchange, redirects and body included, not just an idle gap: a server
    // that trickles a byte now and then must not hold a worker for ever.
    std::chrono::milliseconds timeout{15000};
    qint64 maxBodyBytes = 4 * 1024 * 1024;
    int maxRedirects = 8;
};

// What one GET gave. Any HTTP answer counts as answered, error statuses included:
// their body is read like any other.
struct FetchResult {
    enum class Outcome { Answered, InvalidAddress, NetworkError, TimedOut, TooLarge };
    Outcome outcome = Outcome::NetworkError;
    int status = 0;    // HTTP status of the final answer after redirects; 0 when none
    QByteArray body;   // empty unless answered
    QString errorText; // for logs only

    bool answered() const { return outcome == Outcome::Answered; }
    bool success() const { return answered() && status >= 200 && status < 300; }
};

// Synchronous HTTP GET for worker threads: a QNetworkAccessManager of its own, driven
// by a local event loop on the calling thread, so the caller blocks until the answer,
// a failure or the time-out. Runs on whatever thread calls it; never call it on the
// GUI thread for work the user waits on, it would stall the window for up to the
// time-out. Thread-safe: nothing is shared between calls.
class HttpFetch {
  public:
    static FetchResult get(const QUrl &url, const FetchLimits &limits = {});

    // The body as text, or a null QString when the fetch failed or the body is not
    // valid UTF-8. An HTTP error answer still gives its body's text.
    static QString getText(const QUrl &url, const FetchLimits &limits = {});

    // UTF-8 bytes as text; null QString for invalid UTF-8, an empty (non-null) string
    // for an empty body.
    static QString decodeUtf8(const QByteArray &bytes);
};

} // namespace kelvane
