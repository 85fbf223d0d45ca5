#pragma once

// Private to mpdc: what the connection's source files share.
#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"
#include "mpdc/Handles.h"
#include "mpdc/ReadBudget.h"
#include "mpdc/RecordReader.h"

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

// Frees what a container holds now, not when it goes out of scope.
template <class T> void release(T &value) {
    [[maybe_unused]] T dropped = std::move(value);
}

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
    if (budget.exceeded() || budget.broken()) {
        release(result); // the records go before their memory is handed back
        abandon(budget);
        return std::optional<Result>();
    }
    // A null from a read call ends the answer or reports an error: the end tells which.
    if (!ok(mpd_response_finish(c))) {
        release(result);
        giveBackMemory(budget);
        return std::optional<Result>();
    }
    return std::optional<Result>(std::move(result));
}

} // namespace kelvane::mpdc
