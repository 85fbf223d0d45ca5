#include "core/net/HttpTransfer.h"

#include "base/CFree.h"

#include <curl/curl.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace kelvane {

bool isHttpAddress(const QUrl &url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.isRelative() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

namespace {

using Clock = std::chrono::steady_clock;

using EasyPtr = std::unique_ptr<CURL, CFree<curl_easy_cleanup>>;
using HeaderListPtr = std::unique_ptr<curl_slist, CFree<curl_slist_free_all>>;

enum class Overflow { None, Header, Body };

// One exchange, owned by the transfer thread from start to end.
struct Transfer {
    HttpTransfers::Id id = 0;
    HttpRequest request;
    HttpTransferEvents events;
    EasyPtr easy;
    HeaderListPtr headers;
    QByteArray body;
    qint64 headerBytes = 0;
    // Of the head being read: redirects and interim answers come before the final one.
    qint64 contentLength = -1;
    bool headHasLocation = false;
    bool final = false; // the final answer's head is complete; its body follows
    int status = 0;
    Overflow overflow = Overflow::None;
    Clock::time_point deadline;
    Clock::time_point lastByte;
    char errorText[CURL_ERROR_SIZE] = {};

    qint64 bodyCap() const {
        const FetchLimits &l = request.limits;
        return status >= 400 && l.maxErrorBodyBytes >= 0 ? l.maxErrorBodyBytes : l.maxBodyBytes;
    }
};

// Called with each whole header line of every answer, status lines included. The count
// covers every line, so many lines stop at the cap; one endless line never reaches us
// whole, and curl itself stops it at 100 KiB.
size_t onHeaderLine(char *data, size_t size, size_t count, void *user) {
    Transfer &t = *static_cast<Transfer *>(user);
    const size_t length = size * count;
    t.lastByte = Clock::now();
    t.headerBytes += qint64(length);
    if (t.headerBytes > t.request.limits.maxHeaderBytes) {
        t.overflow = Overflow::Header;
        return 0;
    }
    const QByteArrayView line = QByteArrayView(data, qsizetype(length)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new answer (after a redirect or an interim answer) starts afresh.
        t.headHasLocation = false;
        t.contentLength = -1;
        t.final = false;
        t.body.clear();
        return length;
    }
    if (!line.isEmpty()) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) return length;
        const QByteArrayView name = line.first(colon).trimmed();
        if (name.compare("Location", Qt::CaseInsensitive) == 0) {
            t.headHasLocation = true;
        } else if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 value = line.sliced(colon + 1).trimmed().toLongLong(&ok);
            t.contentLength = ok && value >= 0 ? value : -1;
        }
        return length;
    }
    // The blank line that ends a head.
    long code = 0;
    curl_easy_getinfo(t.easy.get(), CURLINFO_RESPONSE_CODE, &code);
    // An interim answer, or a redirect curl follows: the answer that counts comes next.
    if (code < 200 || (code >= 300 && code < 400 && t.headHasLocation)) return length;
    t.status = int(code);
    t.final = true;
    if (t.contentLength > t.bodyCap()) {
        t.overflow = Overflow::Body;
        return 0;
    }
    if (t.events.response) t.events.response(t.status, t.contentLength);
    return length;
}

size_t onBody(char *data, size_t size, size_t count, void *user) {
    Transfer &t = *static_cast<Transfer *>(user);
    const size_t length = size * count;
    t.lastByte = Clock::now();
    if (!t.final) return length; // only the final answer's body is kept
    if (t.body.size() + qint64(length) > t.bodyCap()) {
        // A body without a length (or lying about it) must not grow without bound.
        t.overflow = Overflow::Body;
        return 0;
    }
    if (t.body.isEmpty() && t.contentLength > 0) t.body.reserve(t.contentLength);
    t.body.append(data, qsizetype(length));
    if (t.events.progress) t.events.progress(t.body.size(), t.contentLength);
    return length;
}

FetchResult failed(FetchResult::Outcome outcome, FetchResult::Failure failure,
                   const QString &text) {
    FetchResult result;
    result.outcome = outcome;
    result.failure = failure;
    result.errorText = text;
    return result;
}

FetchResult resultOf(Transfer &t, CURLcode code) {
    using O = FetchResult::Outcome;
    using F = FetchResult::Failure;
    const QString address = t.request.url.toString();
    FetchResult result;
    // The transport stops a single header line at 100 KiB on its own, as out of memory.
    if (t.overflow == Overflow::Header || (code == CURLE_OUT_OF_MEMORY && !t.final)) {
        result = failed(O::NetworkError, F::BadResponse,
                        QStringLiteral("header block too large: ") + address);
    } else if (t.overflow == Overflow::Body || code == CURLE_FILESIZE_EXCEEDED) {
        result = failed(O::TooLarge, F::None, QStringLiteral("body too large: ") + address);
    } else if (code == CURLE_OK && t.final) {
        result.outcome = O::Answered;
        result.body = std::move(t.body);
    } else {
        const QString text =
            QString::fromUtf8(t.errorText[0] ? t.errorText : curl_easy_strerror(code)) +
            QStringLiteral(": ") + address;
        switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            result = failed(O::TimedOut, F::None, text);
            break;
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_PROXY:
            result = failed(O::NetworkError, F::CannotConnect, text);
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
            result = failed(O::NetworkError, F::HostNotFound, text);
            break;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            result = failed(O::NetworkError, F::ConnectionLost, text);
            break;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
            result = failed(O::NetworkError, F::SecureConnection, text);
            break;
        case CURLE_TOO_MANY_REDIRECTS:
            result = failed(O::NetworkError, F::TooManyRedirects, text);
            break;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_OK: // ended without a final answer
            result = failed(O::NetworkError, F::BadResponse, text);
            break;
        default:
            result = failed(O::NetworkError, F::Other, text);
            break;
        }
    }
    result.status = t.final ? t.status : 0;
    return result;
}

} // namespace

struct HttpTransfers::Engine {
    Engine() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi = curl_multi_init();
        share = curl_share_init();
        // Used from the transfer thread only, so it needs no lock callbacks.
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        thread = std::thread([this] { run(); });
        pthread_setname_np(thread.native_handle(), "HttpTransfers");
    }

    void run();
    void takeRequests();
    void begin(std::unique_ptr<Transfer> transfer);
    bool configure(Transfer &t);
    void end(Id id, const FetchResult &result, bool notify);
    int waitMs() const;

    std::mutex lock; // guards the two lists below
    std::vector<std::unique_ptr<Transfer>> incoming;
    std::vector<Id> withdrawn;
    std::atomic<Id> nextId{1};
    std::atomic<int> active{0};

    // The transfer thread's own.
    CURLM *multi = nullptr;
    CURLSH *share = nullptr;
    std::unordered_map<Id, std::unique_ptr<Transfer>> running;
    std::thread thread;
};

void HttpTransfers::Engine::run() {
    for (;;) {
        takeRequests();
        int stillRunning = 0;
        curl_multi_perform(multi, &stillRunning);
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            Transfer *t = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &t);
            if (t) end(t->id, resultOf(*t, message->data.result), true);
        }
        // Our own clock rather than curl's, so the idle limit counts bytes of the
        // answer that curl reads and drops too, and ends are reported exactly.
        const Clock::time_point now = Clock::now();
        std::vector<Id> late;
        for (const auto &[id, t] : running) {
            const auto idle = t->request.limits.idleTimeout;
            if (now >= t->deadline || (idle.count() > 0 && now - t->lastByte >= idle))
                late.push_back(id);
        }
        for (Id id : late)
            end(id,
                failed(FetchResult::Outcome::TimedOut, FetchResult::Failure::None,
                       QStringLiteral("timed out: ") + running[id]->request.url.toString()),
                true);
        curl_multi_poll(multi, nullptr, 0, waitMs(), nullptr);
    }
}

int HttpTransfers::Engine::waitMs() const {
    long curlMs = -1;
    curl_multi_timeout(multi, &curlMs);
    // With nothing under way the thread sleeps until start() or cancel() wakes it: a
    // periodic wake-up here was the one wakeup a second of an idle, stopped window.
    constexpr int forever = std::numeric_limits<int>::max();
    if (running.empty()) return curlMs < 0 ? forever : int(std::min<long>(curlMs, forever));
    qint64 wait = curlMs < 0 ? 1000 : std::min<qint64>(curlMs, 1000);
    const Clock::time_point now = Clock::now();
    for (const auto &[id, t] : running) {
        Clock::time_point due = t->deadline;
        const auto idle = t->request.limits.idleTimeout;
        if (idle.count() > 0) due = std::min(due, t->lastByte + idle);
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
        wait = std::min<qint64>(wait, std::max<qint64>(0, ms));
    }
    return int(wait);
}

void HttpTransfers::Engine::takeRequests() {
    std::vector<std::unique_ptr<Transfer>> starting;
    std::vector<Id> stopping;
    {
        std::lock_guard<std::mutex> guard(lock);
        starting.swap(incoming);
        stopping.swap(withdrawn);
    }
    for (auto &t : starting) {
        if (std::find(stopping.begin(), stopping.end(), t->id) != stopping.end()) {
            --active;
            continue;
        }
        begin(std::move(t));
    }
    for (Id id : stopping)
        if (running.count(id)) end(id, {}, false);
}

void HttpTransfers::Engine::begin(std::unique_ptr<Transfer> transfer) {
    Transfer &t = *transfer;
    const Id id = t.id;
    running.emplace(id, std::move(transfer));
    if (!isHttpAddress(t.request.url)) {
        end(id,
            failed(FetchResult::Outcome::InvalidAddress, FetchResult::Failure::None,
                   QStringLiteral("not an http address: ") + t.request.url.toString()),
            true);
        return;
    }
    if (!configure(t) || curl_multi_add_handle(multi, t.easy.get()) != CURLM_OK) {
        t.easy.reset(); // never added: nothing to remove
        end(id,
            failed(FetchResult::Outcome::NetworkError, FetchResult::Failure::Other,
                   QStringLiteral("cannot start: ") + t.request.url.toString()),
            true);
    }
}

bool HttpTransfers::Engine::configure(Transfer &t) {
    t.easy.reset(curl_easy_init());
    CURL *e = t.easy.get();
    if (!e) return false;
    const HttpRequest &r = t.request;
    const QByteArray url = r.url.toEncoded();
    curl_easy_setopt(e, CURLOPT_URL, url.constData());
    curl_easy_setopt(e, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.errorText);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects stay on http(s), and an https address never ends on plain http.
    const bool secure = r.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, long(std::max(0, r.limits.maxRedirects)));
    // Direct, as before this transport: no proxy from the environment.
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &onHeaderLine);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    // Our clock ends the exchange; curl's is only a backstop a second later.
    const long timeoutMs = long(std::max<qint64>(1, r.limits.timeout.count()));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, timeoutMs + 1000);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    if (r.acceptCompressed) curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
    if (!r.user.isEmpty() || !r.password.isEmpty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, r.user.toUtf8().constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, r.password.toUtf8().constData());
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, long(CURLAUTH_ANY));
    }
    if (r.cookies) {
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(e, CURLOPT_SHARE, share);
    }
    if (r.allowInvalidCertificates) {
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    curl_slist *list = nullptr;
    for (const auto &[name, value] : r.headers) {
        // Header names and values with line breaks would add lines of their own.
        if (name.contains('\r') || name.contains('\n') || value.contains('\r') ||
            value.contains('\n'))
            continue;
        const QByteArray line = name + ':' + (value.isEmpty() ? QByteArray() : ' ' + value);
        if (curl_slist *grown = curl_slist_append(list, line.constData())) list = grown;
    }
    t.headers.reset(list);
    if (list) curl_easy_setopt(e, CURLOPT_HTTPHEADER, list);
    t.lastByte = Clock::now();
    t.deadline = t.lastByte + r.limits.timeout;
    return true;
}

void HttpTransfers::Engine::end(Id id, const FetchResult &result, bool notify) {
    auto found = running.find(id);
    if (found == running.end()) return;
    std::unique_ptr<Transfer> t = std::move(found->second);
    running.erase(found);
    // Removing an unfinished transfer closes its connection rather than returning it to
    // the pool: nothing more of that answer is read.
    if (t->easy) curl_multi_remove_handle(multi, t->easy.get());
    --active;
    if (notify && t->events.finished) t->events.finished(result);
}

HttpTransfers &HttpTransfers::shared() {
    // Never destroyed: its thread serves the whole run.
    static HttpTransfers *instance = new HttpTransfers;
    return *instance;
}

HttpTransfers::HttpTransfers() : m_engine(new Engine) {}

HttpTransfers::~HttpTransfers() = default;

HttpTransfers::Id HttpTransfers::start(HttpRequest request, HttpTransferEvents events) {
    auto t = std::make_unique<Transfer>();
    t->id = m_engine->nextId++;
    t->request = std::move(request);
    t->events = std::move(events);
    const Id id = t->id;
    ++m_engine->active;
    {
        std::lock_guard<std::mutex> guard(m_engine->lock);
        m_engine->incoming.push_back(std::move(t));
    }
    curl_multi_wakeup(m_engine->multi);
    return id;
}

void HttpTransfers::cancel(Id id) {
    if (id == 0) return;
    {
        std::lock_guard<std::mutex> guard(m_engine->lock);
        m_engine->withdrawn.push_back(id);
    }
    curl_multi_wakeup(m_engine->multi);
}

int HttpTransfers::activeCount() const {
    return m_engine->active.load();
}

} // namespace kelvane
