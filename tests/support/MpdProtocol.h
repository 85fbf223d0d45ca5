#pragma once

#include <QString>
#include <QStringList>

// The few lines of the mpd text protocol the fixtures need, over a blocking POSIX
// socket: deliberately independent of the client code under test.
namespace kelvane::test::mpdprotocol {

// Connects, reads the greeting, sends request (one line or several joined by "\n")
// and returns the response lines without the final "OK". A refusal gives {"ACK ..."};
// no connection, no greeting or no answer within timeoutMs of silence gives
// {"ACK [harness] ..."}. Binary payloads are skipped, their "binary: N" line kept.
QStringList exchange(const QString &host, quint16 port, const QString &request, int timeoutMs);

// Whether host:port answers with an "OK MPD" greeting within timeoutMs.
bool greets(const QString &host, quint16 port, int timeoutMs);

} // namespace kelvane::test::mpdprotocol
