#include "support/MpdProtocol.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

namespace kelvane::test::mpdprotocol {

namespace {

class Connection {
  public:
    Connection(const QString &host, quint16 port, int timeoutMs) : m_timeoutMs(timeoutMs) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0) return;
        const int one = 1;
        // Small requests answered at once: without this a command list can stall on
        // delayed acknowledgements.
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        if (::inet_pton(AF_INET, host.toLatin1().constData(), &address.sin_addr) != 1 ||
            ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~Connection() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_fd >= 0; }

    bool send(const QByteArray &bytes) {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += n;
        }
        return true;
    }

    std::optional<QByteArray> line() {
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) < 0) {
            if (!fill()) return std::nullopt;
        }
        QByteArray result = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        return result;
    }

    bool skip(qint64 bytes) {
        while (m_buffer.size() < bytes) {
            if (!fill()) return false;
        }
        m_buffer.remove(0, bytes);
        return true;
    }

  private:
    bool fill() {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, m_timeoutMs) <= 0) return false;
        char chunk[65536];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        m_buffer.append(chunk, n);
        return true;
    }

    int m_fd = -1;
    int m_timeoutMs;
    QByteArray m_buffer;
};

QStringList harnessError(const char *what) {
    return {QStringLiteral("ACK [harness] ") + QLatin1String(what)};
}

} // namespace

QStringList exchange(const QString &host, quint16 port, const QString &request, int timeoutMs) {
    Connection connection(host, port, timeoutMs);
    if (!connection.isOpen()) return harnessError("cannot connect");
    const auto greeting = connection.line();
    if (!greeting || !greeting->startsWith("OK MPD")) return harnessError("no greeting");
    if (!connection.send(request.toUtf8() + '\n')) return harnessError("cannot send");
    QStringList lines;
    while (true) {
        const auto line = connection.line();
        if (!line) return harnessError("no answer");
        if (*line == "OK") return lines;
        if (line->startsWith("ACK ")) return {QString::fromUtf8(*line)};
        if (line->startsWith("binary: ") && !connection.skip(line->mid(8).toLongLong() + 1))
            return harnessError("binary payload cut short");
        lines.append(QString::fromUtf8(*line));
    }
}

bool greets(const QString &host, quint16 port, int timeoutMs) {
    Connection connection(host, port, timeoutMs);
    if (!connection.isOpen()) return false;
    const auto greeting = connection.line();
    return greeting && greeting->startsWith("OK MPD");
}

} // namespace kelvane::test::mpdprotocol
