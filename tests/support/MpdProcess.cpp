#include "support/MpdProcess.h"

#include "support/MpdProtocol.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace kelvane::test::mpdprocess {

quint16 freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

qint64 spawn(const QString &program, const QStringList &args, const QString &outputFile) {
    // Everything the child touches is prepared before fork: after it, only
    // async-signal-safe calls are allowed in a threaded process.
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString &arg : args)
        storage.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    const QByteArray output = QFile::encodeName(outputFile);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in >= 0) ::dup2(in, 0);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

bool isAlive(qint64 pid) {
    if (pid <= 0) return false;
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false; // not our child (any more)
    return info.si_pid == 0;
}

namespace {

// Whether process pid holds the socket listening on 127.0.0.1:port.
bool ownsListener(qint64 pid, quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return true; // no /proc: trust the greeting alone
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    QByteArray inode;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields[1] == local && fields[3] == "0A") {
            inode = fields[9];
            break;
        }
    }
    if (inode.isEmpty()) return false;
    const QByteArray target = "socket:[" + inode + ']';
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        char buffer[64] = {};
        const ssize_t n =
            ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), buffer, sizeof buffer - 1);
        if (n > 0 && QByteArray(buffer, n) == target) return true;
    }
    return false;
}

} // namespace

Readiness waitUntilListening(qint64 pid, quint16 port, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (!isAlive(pid)) return Readiness::Exited;
        if (ownsListener(pid, port) && mpdprotocol::greets(QStringLiteral("127.0.0.1"), port, 2000))
            return Readiness::Listening;
        QThread::msleep(5);
    }
    return Readiness::TimedOut;
}

void terminate(qint64 pid) {
    if (pid <= 0) return;
    int status = 0;
    const pid_t id = pid_t(pid);
    if (::waitpid(id, &status, WNOHANG) != 0)
        return; // already gone (or not ours): never signal a pid we do not hold
    ::kill(id, SIGTERM);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        if (::waitpid(id, &status, WNOHANG) != 0) return;
        QThread::msleep(2);
    }
    ::kill(id, SIGKILL);
    ::waitpid(id, &status, 0);
}

} // namespace kelvane::test::mpdprocess
