#include "console/StdinReader.h"

#include <QByteArray>
#include <poll.h>
#include <unistd.h>

namespace kelvane {

StdinReader::StdinReader(QObject *parent) : QObject(parent) {
    if (::pipe(m_wake) != 0) m_wake[0] = m_wake[1] = -1;
}

StdinReader::~StdinReader() {
    stop();
    for (int fd : m_wake)
        if (fd >= 0) ::close(fd);
}

void StdinReader::start() {
    if (!m_thread.joinable()) m_thread = std::thread([this] { run(); });
}

void StdinReader::stop() {
    if (!m_thread.joinable()) return;
    if (m_wake[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] auto n = ::write(m_wake[1], &byte, 1);
    }
    m_thread.join();
}

void StdinReader::run() {
    QByteArray pending;
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{0, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, m_wake[0] >= 0 ? 2 : 1, -1) < 0) continue;
        if (fds[1].revents) return;
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0) {
            if (!pending.isEmpty()) Q_EMIT lineRead(QString::fromUtf8(pending));
            return; // end of input: the console keeps running until told to quit
        }
        // Only the new bytes are searched: a line of megabytes arrives in thousands of
        // reads, and scanning it all again each time would be quadratic.
        qsizetype from = pending.size();
        pending.append(buffer, n);
        qsizetype eol;
        while ((eol = pending.indexOf('\n', from)) >= 0) {
            Q_EMIT lineRead(QString::fromUtf8(pending.left(eol)));
            pending.remove(0, eol + 1);
            from = 0;
        }
    }
}

} // namespace kelvane
