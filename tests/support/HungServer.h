#pragma once

#include <QtGlobal>

class QThread;

namespace kelvane::test {

// A TCP listener on 127.0.0.1 at a free port that accepts every connection, reads and
// drops what it is sent and never answers: the stand-in for a server that hangs.
// It runs on a thread of its own, so it keeps accepting while the test thread blocks.
class HungServer {
  public:
    HungServer();
    ~HungServer();
    HungServer(const HungServer &) = delete;
    HungServer &operator=(const HungServer &) = delete;

    quint16 port() const;
    // Connections accepted so far (thread-safe).
    int connections() const;

    class Worker;

  private:
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
    quint16 m_port = 0;
};

} // namespace kelvane::test
