#include "support/ScriptedServer.h"

#include <QList>
#include <QMutex>

#include <algorithm>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelvane::test {

struct ScriptedServer::State {
    Responder responder;
    QByteArray greeting;
    int listener = -1;
    quint16 port = 0;
    int wake[2] = {-1, -1};
    std::atomic<int> connections{0};
    std::atomic<bool> stopping{false};
    mutable QMutex mutex;
    QStringList requests;
    std::vector<int> clients;
    std::vector<std::thread> threads;
    std::thread acceptor;
};

namespace {

bool sendAll(int fd, const QByteArray &bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += n;
    }
    return true;
}

// The repeated part of a reply, gathered into writes of about 64 KiB.
bool sendRepeated(const ScriptedServer::State &state, int fd, const ScriptedServer::Reply &reply) {
    const qint64 perWrite = std::max<qint64>(1, 65536 / reply.repeated.size());
    const QByteArray block = reply.repeated.repeated(qsizetype(std::min(perWrite, reply.times)));
    const qint64 blockTimes = std::min(perWrite, reply.times);
    qint64 left = reply.times;
    while (left >= blockTimes && blockTimes > 0) {
        if (state.stopping || !sendAll(fd, block)) return false;
        left -= blockTimes;
    }
    for (; left > 0; --left)
        if (!sendAll(fd, reply.repeated)) return false;
    return true;
}

// Serves one connection until it closes, the script closes it or the server stops.
void serve(ScriptedServer::State &state, int fd) {
    if (!sendAll(fd, state.greeting)) return;
    QByteArray pending;
    QByteArray list; // a command list being gathered
    bool inList = false;
    char buffer[65536];
    for (;;) {
        qsizetype eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(eol);
            pending.remove(0, eol + 1);
            if (line.startsWith("command_list_begin") || line.startsWith("command_list_ok_begin")) {
                inList = true;
                list = line + '\n';
                continue;
            }
            QByteArray request = line;
            if (inList) {
                list += line + '\n';
                if (line != "command_list_end") continue;
                inList = false;
                request = list;
            }
            {
                QMutexLocker lock(&state.mutex);
                state.requests << QString::fromUtf8(request);
            }
            if (request == "noidle") continue; // the idle it ends got its "OK" then (below)
            if (request.startsWith("idle")) {
                // Wait for the noidle, then answer as an idle ended early does.
                pending.clear();
                ScriptedServer::Reply reply{"OK\n"};
                for (;;) {
                    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                    if (n <= 0 || state.stopping) return;
                    pending.append(buffer, n);
                    if (pending.contains("noidle\n")) break;
                }
                pending.remove(0, pending.indexOf("noidle\n") + 7);
                if (!sendAll(fd, reply.bytes)) return;
                continue;
            }
            const ScriptedServer::Reply reply = state.responder(request);
            if (reply.silent) {
                // Read and drop until the client leaves.
                while (::recv(fd, buffer, sizeof buffer, 0) > 0 && !state.stopping) {
                }
                return;
            }
            if (!sendAll(fd, reply.bytes)) return;
            if (!reply.repeated.isEmpty() && !sendRepeated(state, fd, reply)) return;
            if (!sendAll(fd, reply.tail) || reply.close) return;
            if (!reply.endless.isEmpty()) {
                while (!state.stopping && sendAll(fd, reply.endless)) {
                }
                return;
            }
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0 || state.stopping) return;
        pending.append(buffer, n);
    }
}

} // namespace

ScriptedServer::ScriptedServer(Responder responder, QByteArray greeting)
    : m_state(std::make_shared<State>()) {
    State &s = *m_state;
    s.responder = std::move(responder);
    s.greeting = std::move(greeting);
    s.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(s.listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(s.listener, 16) != 0 ||
        ::getsockname(s.listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    s.port = ntohs(address.sin_port);
    if (::pipe(s.wake) != 0) return;
    s.acceptor = std::thread([&s] {
        for (;;) {
            pollfd fds[2] = {{s.listener, POLLIN, 0}, {s.wake[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents || s.stopping) return;
            const int fd = ::accept4(s.listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++s.connections;
            QMutexLocker lock(&s.mutex);
            s.clients.push_back(fd);
            s.threads.emplace_back([&s, fd] {
                serve(s, fd);
                // Closed for real, as a server that hangs up does: later writes from the
                // client meet a reset.
                QMutexLocker closing(&s.mutex);
                std::erase(s.clients, fd);
                ::close(fd);
            });
        }
    });
}

ScriptedServer::~ScriptedServer() {
    State &s = *m_state;
    s.stopping = true;
    if (s.wake[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] auto n = ::write(s.wake[1], &byte, 1);
    }
    if (s.acceptor.joinable()) s.acceptor.join();
    std::vector<std::thread> threads;
    {
        QMutexLocker lock(&s.mutex);
        for (int fd : s.clients)
            ::shutdown(fd, SHUT_RDWR); // ends the blocked reads and writes
        threads.swap(s.threads);
    }
    for (std::thread &t : threads)
        t.join();
    for (int fd : {s.listener, s.wake[0], s.wake[1]})
        if (fd >= 0) ::close(fd);
}

quint16 ScriptedServer::port() const {
    return m_state->port;
}

int ScriptedServer::connections() const {
    return m_state->connections.load();
}

QStringList ScriptedServer::requests() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->requests;
}

ScriptedServer::Reply ScriptedServer::standard(const QByteArray &request) {
    // A command list: each command's answer, list_OK after each in an "ok" list.
    if (request.startsWith("command_list")) {
        const bool okList = request.startsWith("command_list_ok_begin");
        QList<QByteArray> lines = request.split('\n');
        QByteArray out;
        for (const QByteArray &line : lines) {
            if (line.isEmpty() || line.startsWith("command_list")) continue;
            QByteArray answer = standard(line).bytes;
            if (answer.startsWith("ACK")) return {answer};
            answer.chop(3); // its "OK\n"
            out += answer;
            if (okList) out += "list_OK\n";
        }
        return {out + "OK\n"};
    }
    if (request == "status")
        return {"volume: 50\nrepeat: 0\nrandom: 0\nsingle: 0\nconsume: 0\nplaylist: "
                "1\nplaylistlength: 0\n"
                "mixrampdb: 0.000000\nstate: stop\nOK\n"};
    if (request == "replay_gain_status") return {"replay_gain_mode: off\nOK\n"};
    if (request == "outputs")
        return {"outputid: 0\noutputname: Null\nplugin: null\noutputenabled: 1\nOK\n"};
    return {"OK\n"}; // currentsong, listplaylists, plchanges, ping and every command
}

} // namespace kelvane::test
