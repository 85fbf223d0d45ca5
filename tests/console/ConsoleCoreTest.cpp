// The console front end: its line format, and the real binary against a real mpd.
#include "ConsoleProcess.h"

#include "console/ConsoleWriter.h"
#include "support/MpdProcess.h"
#include "support/MpdServer.h"

#include <QTemporaryFile>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;

TEST(ConsoleFormat, EscapesTabNewlineBackslashAndMarksAbsent) {
    EXPECT_EQ(ConsoleWriter::formatLine(
                  {QStringLiteral("a\tb"), QStringLiteral("c\nd"), QStringLiteral("e\\f")}),
              QStringLiteral("a\\tb\tc\\nd\te\\\\f"));
    EXPECT_EQ(ConsoleWriter::formatLine({QStringLiteral("x"), QString(), QStringLiteral("")}),
              QStringLiteral("x\t\\N\t"));
    EXPECT_EQ(ConsoleWriter::escape(QStringLiteral("\\N")), QStringLiteral("\\\\N"));
    EXPECT_EQ(ConsoleWriter::escape(QStringLiteral("Édith Piaf & co\r")),
              QStringLiteral("Édith Piaf & co\r"));
    EXPECT_EQ(ConsoleWriter::escape(QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b")),
              QStringLiteral("a\\0b"));
}

TEST(ConsoleFormat, AnAnswerLeavesInOneWriteWhenItEnds) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    const auto written = [&file] {
        struct stat info {};
        ::fstat(file.handle(), &info);
        return qint64(info.st_size);
    };
    std::fflush(stdout);
    const int savedStdout = ::dup(1);
    ::dup2(file.handle(), 1);
    qint64 whileAnswering = -1;
    {
        const ConsoleWriter::Answer answer;
        for (int i = 0; i < 2000; ++i)
            ConsoleWriter::line({QStringLiteral("album"), QString::number(i)});
        {
            const ConsoleWriter::Answer nested; // inner answers join the outer one
            ConsoleWriter::end(2000);
        }
        whileAnswering = written();
    }
    const qint64 afterwards = written();
    ConsoleWriter::line({QStringLiteral("event")}); // outside an answer: at once
    const qint64 withEvent = written();
    std::fflush(stdout);
    ::dup2(savedStdout, 1);
    ::close(savedStdout);

    EXPECT_EQ(whileAnswering, 0);
    file.seek(0);
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 2003); // 2,000 albums, "end", "event" and the empty tail
    EXPECT_EQ(afterwards, withEvent - qint64(sizeof("event")));
    EXPECT_EQ(lines[1999], QByteArray("album\t1999"));
    EXPECT_EQ(lines[2000], QByteArray("end\t2000"));
}

TEST(ConsoleRun, PrintsEventsAndFollowsConnectDisconnect) {
    auto server = startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road/02 Something.flac\""));
    server->command(QStringLiteral("play 0"));
    ConsoleProcess console({QStringLiteral("--host"), server->host(), QStringLiteral("--port"),
                            QString::number(server->port())});
    EXPECT_EQ(console.waitForLine(QStringLiteral("track\t")),
              QStringLiteral("track\t0\tAbbey Road\tSomething\tThe Beatles\tThe Beatles/Abbey "
                             "Road/02 Something.flac"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("queue-track\t")),
              QStringLiteral("queue-track\t0"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("queue-state\t")),
              QStringLiteral("queue-state\t2\t0"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("state\t")), QStringLiteral("state\t2"));
    EXPECT_TRUE(
        console.waitForLine(QStringLiteral("progress\t")).endsWith(QStringLiteral("\t182")));
    EXPECT_EQ(console.waitForLine(QStringLiteral("volume\t")), QStringLiteral("volume\t100"));

    console.send(QStringLiteral("disconnect"));
    spin(300);
    const qsizetype before = console.lines().size();
    spin(400);
    EXPECT_EQ(console.lines().size(), before) << "no events while disconnected";
    console.send(QStringLiteral("connect"));
    EXPECT_TRUE(waitUntil([&] { return console.lines().size() > before; }));

    // End of input does not stop it; SIGTERM ends it with status 0.
    console.closeInput();
    spin(300);
    EXPECT_EQ(console.process().state(), QProcess::Running);
    ::kill(pid_t(console.process().processId()), SIGTERM);
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(console.process().exitCode(), 0);
}

TEST(ConsoleRun, ReportsARefusedConnectionAndQuits) {
    // A port nothing listens on: the connection is refused.
    const quint16 port = mpdprocess::freePort();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(port)});
    EXPECT_TRUE(
        console.waitForLine(QStringLiteral("error\t"))
            .startsWith(QStringLiteral("error\tConnexion rejetée\t1. Vérifiez que le serveur est "
                                       "joignable et que MPD est actif.\\n2.")));
    console.send(QStringLiteral("no-such-command"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("unknown\t")),
              QStringLiteral("unknown\tno-such-command"));
    // A NUL would cut the argument short: the whole line is refused, and echoed escaped.
    console.send(QStringLiteral("decode before") + QChar(u'\0') + QStringLiteral("after"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("invalid\t")),
              QStringLiteral("invalid\tdecode before\\0after"));
    EXPECT_TRUE(console.waitForLine(QStringLiteral("decoded\t")).isNull());
    console.send(QStringLiteral("quit"));
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitCode(), 0);
}

// Under the user's French locale the C library says "Connexion refusée": the defined
// alert is still found (by the failure's code), and the console's own line keeps the
// library's text.
TEST(ConsoleRun, ARefusedConnectionIsTheDefinedAlertUnderTheFrenchLocale) {
    // A port nothing listens on: the connection is refused.
    const quint16 port = mpdprocess::freePort();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(port)},
                           {{QStringLiteral("LANG"), QStringLiteral("fr_FR.UTF-8")},
                            {QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8")}});
    EXPECT_TRUE(
        console.waitForLine(QStringLiteral("error\t"))
            .startsWith(QStringLiteral("error\tConnexion rejetée\t1. Vérifiez que le serveur est "
                                       "joignable et que MPD est actif.\\n2.")))
        << qPrintable(console.lines().join(QLatin1Char('\n')));
    EXPECT_EQ(console.waitForLine(QStringLiteral("connection\tdown\t")),
              QStringLiteral("connection\tdown\tConnection refused"));
}

TEST(ConsoleRun, SigintEndsWithStatusZero) {
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());
    ::kill(pid_t(console.process().processId()), SIGINT);
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitCode(), 0);
}
