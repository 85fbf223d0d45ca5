#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <utility>

namespace kelvane {

// Bounds of one HTTP exchange. Whatever a server sends, a transfer ends within the
// time-out and holds at most the header and body caps in memory.
struct FetchLimits {
    // The whole exchange, redirects and body included, not just an idle gap: a server
    // that trickles a byte now and then must not hold a worker for ever.
    std::chrono::milliseconds timeout{15000};
    // A directory page or a stream playlist is a few kilobytes; a body past the cap is not
    // one of them (an audio stream answered in place of a playlist, a hostile server).
    qint64 maxBodyBytes = 4 * 1024 * 1024;
    int maxRedirects = 8;
    // The header blocks of every answer of the exchange together; real ones are a few
    // hundred bytes.
    qint64 maxHeaderBytes = 64 * 1024;
    // Time without a byte from the server after which the exchange fails as timed out;
    // zero for none (the whole-exchange time-out still holds).
    std::chrono::milliseconds idleTimeout{0};
    // The body of an answer with status 400 or above is capped here instead, when not
    // negative: an error page is read to its end only to keep the connection for reuse.
    qint64 maxErrorBodyBytes = -1;
};

// What one exchange gave. Any HTTP answer counts as answered, error statuses included:
// their body is read like any other.
struct FetchResult {
    enum class Outcome { Answered, InvalidAddress, NetworkError, TimedOut, TooLarge, Cancelled };
    // The kind of a network error, for callers that report it in their own terms.
    enum class Failure {
        None,
        CannotConnect,
        HostNotFound,
        ConnectionLost,
        SecureConnection,
        BadResponse, // not HTTP, a header block past its cap, a redirect elsewhere than http(s)
        TooManyRedirects,
        Other,
    };
    Outcome outcome = Outcome::NetworkError;
    Failure failure = Failure::None;
    int status = 0;    // HTTP status of the final answer after redirects; 0 when none
    QByteArray body;   // empty unless answered
    QString errorText; // for logs only

    bool answered() const { return outcome == Outcome::Answered; }
    bool success() const { return answered() && status >= 200 && status < 300; }
};

// One GET.
struct HttpRequest {
    QUrl url;
    // Sent as given, after the transport's own; an empty value withholds a header the
    // transport would send by itself (such as Accept).
    QList<std::pair<QByteArray, QByteArray>> headers;
    FetchLimits limits;
    // Offered once when the server asks for them, to its host only.
    QString user;
    QString password;
    // Ask for a compressed body (unpacked before the cap applies).
    bool acceptCompressed = false;
    // Send and keep cookies, shared by the transfers that ask for them, for the run.
    bool cookies = false;
    bool allowInvalidCertificates = false;
};

// Whether url is an absolute http or https address with a host: the only ones fetched.
bool isHttpAddress(const QUrl &url);

// What a transfer tells its owner. All are called on the transfer thread, in this
// order: response once (the final answer's status and announced length, -1 when none),
// progress after each piece of its body, finished once at the end. They must return at
// once; hand anything longer to another thread. Each may be empty.
struct HttpTransferEvents {
    std::function<void(int status, qint64 contentLength)> response = {};
    std::function<void(qint64 received, qint64 contentLength)> progress = {};
    std::function<void(FetchResult result)> finished = {};
};

// The process's HTTP transport: every transfer runs on one thread of its own, which
// keeps idle connections for reuse and enforces each request's limits. Only http and
// https are fetched, redirects included (never from https down to http). A transfer
// that ends early (time-out, cap, cancel) closes its connection, so nothing of a hostile
// answer is read after its end. start() and cancel() are safe from any thread.
class HttpTransfers {
  public:
    using Id = quint64;

    static HttpTransfers &shared();

    // Never 0. An address that is not http(s) finishes with InvalidAddress.
    Id start(HttpRequest request, HttpTransferEvents events);
    // Stops the transfer and closes its connection; finished is not called for it,
    // unless it was already under way on the transfer thread.
    void cancel(Id id);

    // Transfers started and not yet ended.
    int activeCount() const;

    HttpTransfers(const HttpTransfers &) = delete;
    HttpTransfers &operator=(const HttpTransfers &) = delete;

    struct Engine;

  private:
    HttpTransfers();
    ~HttpTransfers();
    Engine *m_engine;
};

} // namespace kelvane
