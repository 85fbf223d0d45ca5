#include "mpdc/ConnectionImpl.h"

#include "mpdc/SongConversion.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace kelvane::mpdc {

namespace {
locale_t protocolLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

// The locale of this thread, "C" for as long as it lives.
class ProtocolLocaleScope {
  public:
    ProtocolLocaleScope() : m_previous(uselocale(protocolLocale())) {}
    ~ProtocolLocaleScope() { uselocale(m_previous); }
    ProtocolLocaleScope(const ProtocolLocaleScope &) = delete;
    ProtocolLocaleScope &operator=(const ProtocolLocaleScope &) = delete;

  private:
    locale_t m_previous;
};

// The protocol's numbers, which the library's enumeration repeats.
static_assert(int(ServerError::NoExist) == int(MPD_SERVER_ERROR_NO_EXIST) &&
              int(ServerError::Exist) == int(MPD_SERVER_ERROR_EXIST) &&
              int(ServerError::UnknownCommand) == int(MPD_SERVER_ERROR_UNKNOWN_CMD));
} // namespace

Connection::Exchange::Exchange(std::recursive_mutex &mutex)
    : m_lock(mutex), m_previous(uselocale(protocolLocale())) {}

Connection::Exchange::~Exchange() {
    uselocale(m_previous);
}

void quickAck(int fd) {
    if (fd < 0) return;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}

void Connection::setAnswerLimits(qsizetype entries, qsizetype bytes, qsizetype text) {
    ReadBudget::maxEntries = entries;
    ReadBudget::maxBytes = bytes;
    ReadBudget::maxText = text;
}

void Connection::resetAnswerLimits() {
    ReadBudget::maxEntries = ReadBudget::defaultEntries;
    ReadBudget::maxBytes = ReadBudget::defaultBytes;
    ReadBudget::maxText = ReadBudget::defaultText;
}

void Connection::abandon(const ReadBudget &budget) {
    if (budget.broken()) {
        close(Failure::local(QString::fromLatin1(budget.broken())));
        d->closedKind = budget.brokenKind();
    } else {
        close(Failure::local(QString::fromLatin1(answerTooLargeMessage)));
    }
    giveBackMemory(budget);
}

Connection::Connection(mpd_connection *raw) : d(std::make_unique<Impl>()) {
    d->c.reset(raw);
    if (raw && mpd_connection_get_error(raw) == MPD_ERROR_SUCCESS)
        d->fd = mpd_connection_get_fd(raw);
    m_open = raw != nullptr;
    m_lastUse = std::chrono::steady_clock::now().time_since_epoch().count();
}

Connection::~Connection() = default;

std::unique_ptr<Connection> Connection::open(const QString &host, quint32 port,
                                             unsigned timeoutMs) {
    const ProtocolLocaleScope protocolLocale;
    std::unique_ptr<Connection> connection(
        new Connection(mpd_connection_new(utf8(host).constData(), port, timeoutMs)));
    if (connection->d->c && mpd_connection_get_error(connection->d->c.get()) != MPD_ERROR_SUCCESS) {
        // Keep the failure and let go of the half-made handle: nothing may use it.
        connection->close(connection->failureOfHandle());
        return connection;
    }
    // libmpdclient writes a long command list in 4 KiB pieces; without TCP_NODELAY the
    // second piece waits for the server's delayed acknowledgement. (A local socket
    // refuses the option, harmlessly.)
    if (connection->d->fd >= 0) {
        int one = 1;
        ::setsockopt(connection->d->fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return connection;
}

mpd_connection *Connection::handle() const {
    return d->c.get();
}

void Connection::setRefusalHandler(std::function<void(const Failure &)> handler) {
    auto guard = lock();
    m_refusalHandler = std::move(handler);
}

bool Connection::hasError() const {
    auto guard = lock();
    return !d->c || mpd_connection_get_error(d->c.get()) != MPD_ERROR_SUCCESS;
}

std::chrono::steady_clock::duration Connection::idleFor() const {
    return std::chrono::steady_clock::now().time_since_epoch() -
           std::chrono::steady_clock::duration(m_lastUse.load());
}

namespace {
Failure::Cause causeOf(mpd_error error) {
    switch (error) {
    case MPD_ERROR_CLOSED:
        return Failure::Cause::Closed;
    case MPD_ERROR_TIMEOUT:
        return Failure::Cause::Timeout;
    case MPD_ERROR_SYSTEM:
        return Failure::Cause::System;
    case MPD_ERROR_RESOLVER:
        return Failure::Cause::Resolver;
    case MPD_ERROR_SERVER:
        return Failure::Cause::Server;
    case MPD_ERROR_MALFORMED:
        return Failure::Cause::Malformed;
    default:
        return Failure::Cause::Library;
    }
}

ErrorKind kindOf(mpd_error error) {
    switch (error) {
    case MPD_ERROR_SUCCESS:
        return ErrorKind::Success;
    case MPD_ERROR_SERVER:
        return ErrorKind::Server;
    case MPD_ERROR_MALFORMED:
        return ErrorKind::Malformed;
    default:
        return ErrorKind::Other;
    }
}
} // namespace

ErrorKind Connection::errorKind() const {
    auto guard = lock();
    if (!d->c) return d->closedKind;
    return kindOf(mpd_connection_get_error(d->c.get()));
}

QString Connection::errorMessage() const {
    return failure().message;
}

Failure Connection::failureOfHandle() const {
    mpd_connection *c = d->c.get();
    // The library could not even make its handle.
    if (!c) return {Failure::Cause::Library, 0, -1, QStringLiteral("Out of memory")};
    const mpd_error error = mpd_connection_get_error(c);
    if (error == MPD_ERROR_SUCCESS) return {Failure::Cause::Library, 0, -1, QString()};
    Failure failure;
    failure.cause = causeOf(error);
    if (error == MPD_ERROR_SYSTEM) failure.systemError = mpd_connection_get_system_error(c);
    if (error == MPD_ERROR_SERVER) failure.serverError = int(mpd_connection_get_server_error(c));
    if (const char *message = mpd_connection_get_error_message(c))
        failure.message = QString::fromUtf8(message);
    return failure;
}

Failure Connection::failure() const {
    auto guard = lock();
    if (d->c) return failureOfHandle();
    Failure closed = d->closed;
    // A handle the library could not make at all.
    if (closed.message.isEmpty()) closed.message = QStringLiteral("Out of memory");
    return closed;
}

bool Connection::finishResponse() {
    auto guard = lock();
    if (!d->c) return false;
    if (mpd_response_finish(d->c.get())) return true;
    afterFailure();
    return false;
}

int Connection::fd() const {
    auto guard = lock();
    return d->c ? d->fd : -1;
}

QString Connection::serverVersion() const {
    auto guard = lock();
    if (!d->c) return QString();
    const unsigned *v = mpd_connection_get_server_version(d->c.get());
    return QStringLiteral("%1.%2.%3").arg(v[0]).arg(v[1]).arg(v[2]);
}

bool Connection::closeIfServerLeft() {
    auto guard = lock();
    if (!d->c || d->fd < 0) return !d->c;
    pollfd watched{d->fd, POLLRDHUP, 0};
    if (::poll(&watched, 1, 0) <= 0 || !(watched.revents & (POLLRDHUP | POLLHUP | POLLERR)))
        return false;
    close({Failure::Cause::Closed, 0, -1, QStringLiteral("Connection closed by the server")});
    return true;
}

void Connection::abort() {
    std::lock_guard fdGuard(d->fdMutex);
    if (d->fd >= 0) ::shutdown(d->fd, SHUT_RDWR);
}

void Connection::close(const Failure &failure) {
    d->closed = failure;
    d->closedKind = d->c ? kindOf(mpd_connection_get_error(d->c.get())) : ErrorKind::Other;
    if (d->closedKind == ErrorKind::Success)
        d->closedKind = ErrorKind::Other; // closed by this layer (an oversized answer)
    std::lock_guard fdGuard(d->fdMutex);
    d->fd = -1;
    d->c.reset();
    m_open = false;
}

void Connection::afterFailure() {
    mpd_connection *c = d->c.get();
    if (!c) return;
    const mpd_error error = mpd_connection_get_error(c);
    if (error == MPD_ERROR_SUCCESS) return;
    const Failure failure = failureOfHandle();
    // Only a refusal leaves the connection usable, and only when its rest can be read.
    if (error != MPD_ERROR_SERVER || !mpd_connection_clear_error(c)) {
        close(failure);
        return;
    }
    if (!mpd_response_finish(c)) {
        close(failureOfHandle());
        return;
    }
    if (m_refusalHandler && m_quiet == 0) m_refusalHandler(failure);
}

bool Connection::ok(bool result) {
    if (!result) afterFailure();
    return result;
}

void Connection::refuse(const char *message) {
    if (m_refusalHandler) m_refusalHandler(Failure::local(QString::fromLatin1(message)));
}

bool Connection::acceptable(std::initializer_list<QStringView> texts) {
    switch (checkArguments(texts)) {
    case ArgumentProblem::None:
        return true;
    case ArgumentProblem::ControlCharacter:
        refuse(controlCharacterMessage);
        break;
    case ArgumentProblem::TooLong:
        refuse(tooLongMessage);
        break;
    }
    return false;
}

PollResult Connection::poll() {
    auto guard = lock();
    PollResult result;
    mpd_connection *c = handle();
    if (!c) return result;
    const auto failed = [&] {
        // The poll is what notices a server gone; a refused status (a password the
        // server wants) ends the session the same way, with the server's message.
        close(failureOfHandle());
        return result;
    };
    if (!mpd_command_list_begin(c, true) || !mpd_send_status(c) || !mpd_send_current_song(c) ||
        !mpd_command_list_end(c))
        return failed();
    quickAck(d->fd);
    ReadBudget budget;
    RecordReader reader(c, budget);
    StatusPtr status = reader.status();
    if (!status) {
        if (budget.exceeded()) {
            abandon(budget);
            return result;
        }
        return failed();
    }
    result.status = statusFrom(*status);
    // The rest of the system indexes the queue with these numbers: a server that sends
    // impossible ones is treated as one that broke the protocol.
    if (!isPlausible(result.status)) {
        close(Failure::local(QString::fromLatin1(implausibleStatusMessage)));
        return result;
    }
    result.statusOk = true;
    if (!mpd_response_next(c)) {
        failed();
        return result;
    }
    while (SongPtr song = reader.song())
        result.songs.push_back(songFrom(*song));
    if (budget.exceeded() || budget.broken()) {
        abandon(budget);
        return result;
    }
    result.songOk = mpd_response_finish(c);
    if (!result.songOk) failed();
    return result;
}

std::optional<StatusInfo> Connection::status() {
    auto guard = lock();
    mpd_connection *c = handle();
    if (!c || !mpd_send_status(c)) {
        afterFailure();
        return std::nullopt;
    }
    ReadBudget budget;
    StatusPtr status = RecordReader(c, budget).status();
    if (!status) {
        if (budget.exceeded())
            abandon(budget);
        else
            afterFailure();
        return std::nullopt;
    }
    StatusInfo info = statusFrom(*status);
    if (!isPlausible(info)) {
        close(Failure::local(QString::fromLatin1(implausibleStatusMessage)));
        return std::nullopt;
    }
    if (!ok(mpd_response_finish(c))) return std::nullopt;
    return info;
}

bool Connection::password(const QString &password) {
    auto guard = lock();
    mpd_connection *c = handle();
    if (!c) return false;
    if (hasControlCharacter(password)) {
        close(Failure::local(QString::fromLatin1(controlCharacterMessage)));
        return false;
    }
    // Not through the refusal handler: a refused password is reported by the caller as
    // a failed connect, with the server's message kept here.
    if (mpd_run_password(c, utf8(password).constData())) return true;
    close(failureOfHandle());
    return false;
}

} // namespace kelvane::mpdc
