#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

namespace kelvane::test {

// A loopback server that speaks the MPD protocol as a test script says, well or badly:
// the stand-in for a broken or hostile server. Each accepted connection gets the
// greeting, then every request (one command line, or a whole command list from its
// begin to its end line) goes to the responder, whose reply is sent back as it is.
// Runs on threads of its own (one per connection), so the test thread may block in the
// client meanwhile. Answers "idle" only with a "noidle".
class ScriptedServer {
  public:
    struct Reply {
        QByteArray bytes;        // sent as they are (include the final "OK\n")
        bool close = false;      // then close the connection
        bool silent = false;     // send nothing and never answer this connection again
        QByteArray endless = {}; // then send this over and over until the client leaves
        // A long but finite answer without holding it whole: after bytes, `repeated`
        // sent `times` times over, then `tail` (its "OK\n"); endless comes after them.
        QByteArray repeated = {};
        qint64 times = 0;
        QByteArray tail = {};
    };
    using Responder = std::function<Reply(const QByteArray &request)>;

    explicit ScriptedServer(Responder responder, QByteArray greeting = "OK MPD 0.23.5\n");
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    quint16 port() const;
    int connections() const;
    // Every request received so far, in order, from all connections.
    QStringList requests() const;

    // A plausible answer for the commands a client sends on its own (status,
    // currentsong, outputs, replay_gain_status, listplaylists, lists of these...): an
    // empty, stopped server. Responders fall back on it.
    static Reply standard(const QByteArray &request);

    struct State;

  private:
    std::shared_ptr<State> m_state;
};

} // namespace kelvane::test
