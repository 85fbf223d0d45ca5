// Poll cost: microseconds per tick of our poll against a bare libmpdclient loop, and
// the CPU seconds a whole console process spends over N seconds of 10 Hz polling while
// the private mpd plays, beside a bare 10 Hz loop measured in the same run.
//
//   bench_poll [--seconds 60] [--ticks 5000]
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "mpdc/ProtocolLocale.h"
#include "support/MpdServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <mpd/client.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kelvane;

namespace {

double cpuSecondsOfChild(pid_t pid) {
    // utime + stime from /proc/PID/stat, in clock ticks.
    FILE *f = std::fopen(QStringLiteral("/proc/%1/stat").arg(pid).toLatin1().constData(), "r");
    if (!f) return -1;
    char buf[2048];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    const char *p = std::strrchr(buf, ')');
    unsigned long utime = 0, stime = 0;
    // Fields after the command: state(3) ... utime(14) stime(15).
    std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime);
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// One poll exchange of a bare client: status + currentsong, as two round trips or as
// one command list.
void bareExchange(mpd_connection *c, bool twoRoundTrips) {
    if (twoRoundTrips) {
        if (mpd_status *s = mpd_run_status(c)) mpd_status_free(s);
        mpd_send_current_song(c);
    } else {
        mpd_command_list_begin(c, true);
        mpd_send_status(c);
        mpd_send_current_song(c);
        mpd_command_list_end(c);
        if (mpd_status *s = mpd_recv_status(c)) mpd_status_free(s);
        mpd_response_next(c);
    }
    while (mpd_song *song = mpd_recv_song(c))
        mpd_song_free(song);
    mpd_response_finish(c);
}

// The bare loop, ten times a second.
int bareLoop(quint16 port, int seconds, bool twoRoundTrips) {
    mpd_connection *c = mpd_connection_new("127.0.0.1", port, 3000);
    if (mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) return 1;
    QElapsedTimer clock;
    clock.start();
    qint64 next = 0;
    while (clock.elapsed() < seconds * 1000) {
        bareExchange(c, twoRoundTrips);
        next += 100;
        const qint64 wait = next - clock.elapsed();
        if (wait > 0) QThread::msleep(quint64(wait));
    }
    mpd_connection_free(c);
    return 0;
}

double microsPerBareTick(quint16 port, int ticks, bool twoRoundTrips) {
    mpd_connection *c = mpd_connection_new("127.0.0.1", port, 3000);
    int one = 1;
    setsockopt(mpd_connection_get_fd(c), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < ticks; ++i)
        bareExchange(c, twoRoundTrips);
    const double us = double(clock.nsecsElapsed()) / 1000.0 / ticks;
    mpd_connection_free(c);
    return us;
}

double microsPerOurTick(int ticks) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    socket.stopTimer();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < ticks; ++i)
        (void)socket.getStatus();
    return double(clock.nsecsElapsed()) / 1000.0 / ticks;
}

double childCpu(const QString &program, const QStringList &args, int seconds) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    process.waitForStarted();
    const pid_t pid = pid_t(process.processId());
    QThread::sleep(seconds);
    const double cpu = cpuSecondsOfChild(pid);
    process.terminate();
    process.waitForFinished(5000);
    return cpu;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--bare-loop") == 0)
        return bareLoop(quint16(std::atoi(argv[2])), std::atoi(argv[3]), argc >= 5);

    QCoreApplication app(argc, argv);
    kelvane::mpdc::keepProtocolLocale();
    int seconds = 60, ticks = 5000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--ticks") == 0) ticks = std::atoi(argv[i + 1]);
    }
    auto server = test::startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road/01 Come Together.flac\""));
    server->command(QStringLiteral("repeat 1"));
    server->command(QStringLiteral("play 0"));
    const quint16 port = server->port();

    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), port);
    MPDSocket::sMPDSocket();

    std::printf("poll tick, %d ticks each, interleaved 3 rounds (µs):\n", ticks);
    std::vector<double> ours, bare2, bare1;
    for (int round = 0; round < 3; ++round) {
        ours.push_back(microsPerOurTick(ticks));
        bare2.push_back(microsPerBareTick(port, ticks, true));
        bare1.push_back(microsPerBareTick(port, ticks, false));
    }
    auto report = [](const char *name, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("  %-40s min %7.1f  median %7.1f  max %7.1f\n", name, v.front(),
                    v[v.size() / 2], v.back());
    };
    report("kelvane poll (one command list)", ours);
    report("bare libmpdclient, two round trips", bare2);
    report("bare libmpdclient, one command list", bare1);

    const QString self = QCoreApplication::applicationFilePath();
    const QString kelvane =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/kelvane");
    std::printf("CPU over %d s of 10 Hz polling while playing (s):\n", seconds);
    const double bareCpu = childCpu(self,
                                    {QStringLiteral("--bare-loop"), QString::number(port),
                                     QString::number(seconds), QStringLiteral("two")},
                                    seconds);
    const double consoleCpu = childCpu(
        kelvane, {QStringLiteral("--console"), QStringLiteral("--port"), QString::number(port)},
        seconds);
    std::printf("  bare loop (status + currentsong)          %.3f\n", bareCpu);
    std::printf("  kelvane --console                         %.3f\n", consoleCpu);
    std::printf("  ratio console / bare                      %.2f\n",
                bareCpu > 0 ? consoleCpu / bareCpu : 0.0);
    return 0;
}
