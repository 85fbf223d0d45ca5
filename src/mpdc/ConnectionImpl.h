#pragma once

// Private to mpdc: what the connection's source files share.
#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"
#include "mpdc/Handles.h"

#include <QByteArray>
#include <atomic>
#include <cstring>
#include <mutex>

namespace kelvane::mpdc {

struct Connection::Impl {
    ConnectionPtr c;
    Failure closed{Failure::Cause::Library, 0, -1, QString()};
    ErrorKind closedKind = ErrorKind::Other;
    // Guards the socket's number against a close while abort() shuts it down from
    // another thread; never held across an exchange.
    std::mutex fdMutex;
    int fd = -1;
};

inline QByteArray utf8(const QString &text) {
    return text.toUtf8();
}

// mpd never sets TCP_NODELAY and sends a long answer in two writes; without quick
// acknowledgements from us the second write waits about 40 ms. Linux leaves quick-ack
// mode on its own, so this is repeated before each long answer is read.
void quickAck(int fd);

// Every answer is read against this bound, so a server that never ends a list (or one
// that means harm) cannot take the process's memory: far above any real library (a
// 100,000-song catalogue is about 30 MB of text).
class ReadBudget {
  public:
    static inline std::atomic<qsizetype> maxEntries = 2'000'000;
    static inline std::atomic<qsizetype> maxBytes = qsizetype(1) << 30;
    // False once the answer went past the bound.
    bool take(qsizetype bytes) {
        ++m_entries;
        m_bytes += bytes;
        return !exceeded();
    }
    bool exceeded() const { return m_entries > m_maxEntries || m_bytes > m_maxBytes; }

  private:
    qsizetype m_entries = 0;
    qsizetype m_bytes = 0;
    const qsizetype m_maxEntries = maxEntries.load();
    const qsizetype m_maxBytes = maxBytes.load();
};

// The text size a song record stands for, for the budget.
qsizetype recordBytes(const SongInfo &song);

template <class Read> auto Connection::answer(bool sent, Read read) {
    using Result =
        decltype(read(static_cast<mpd_connection *>(nullptr), std::declval<ReadBudget &>()));
    if (!sent) {
        afterFailure();
        return std::optional<Result>();
    }
    mpd_connection *c = handle();
    quickAck(d->fd);
    ReadBudget budget;
    Result result = read(c, budget);
    if (budget.exceeded()) {
        close(Failure::local(QString::fromLatin1(answerTooLargeMessage)));
        return std::optional<Result>();
    }
    // A null from a read call ends the answer or reports an error: the end tells which.
    if (!ok(mpd_response_finish(c))) return std::optional<Result>();
    return std::optional<Result>(std::move(result));
}

} // namespace kelvane::mpdc
