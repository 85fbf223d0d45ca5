#pragma once

#include <QString>
#include <QStringList>

// Process and port plumbing of MpdServer, in plain POSIX so that it works from any
// thread, with or without an event loop.
namespace kelvane::test::mpdprocess {

// A loopback TCP port that was free a moment ago.
quint16 freePort();

// fork + exec of program with args, stdout and stderr into outputFile, stdin from
// /dev/null. The child gets SIGKILL if the calling thread dies, so a crashed test
// leaves no mpd behind. Returns the pid, or -1.
qint64 spawn(const QString &program, const QStringList &args, const QString &outputFile);

// Whether the child is still running; does not reap it.
bool isAlive(qint64 pid);

enum class Readiness { Listening, Exited, TimedOut };
// Waits until the child itself listens on 127.0.0.1:port and greets with "OK MPD"
// (checked through /proc, so another process's listener on that port never counts).
Readiness waitUntilListening(qint64 pid, quint16 port, int timeoutMs);

// SIGTERM, then SIGKILL after 2 s; reaps the child.
void terminate(qint64 pid);

} // namespace kelvane::test::mpdprocess
