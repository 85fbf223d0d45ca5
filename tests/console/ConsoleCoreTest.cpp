// The console front end: its line format, and the real binary against a real mpd.
#include "ConsoleProcess.h"

#include "console/ConsoleWriter.h"
#include "support/MpdServer.h"

#include <gtest/gtest.h>
#include <csignal>

using namespace kelvane;
using namespace kelvane::test;

TEST(ConsoleFormat, EscapesTabNewlineBackslashAndMarksAbsent)
{
    EXPECT_EQ(ConsoleWriter::formatLine({QStringLiteral("a\tb"), QStringLiteral("c\nd"), QStringLiteral("e\\f")}),
              QStringLiteral("a\\tb\tc\\nd\te\\\\f"));
    EXPECT_EQ(ConsoleWriter::formatLine({QStringLiteral("x"), QString(), QStringLiteral("")}),
              QStringLiteral("x\t\\N\t"));
    EXPECT_EQ(ConsoleWriter::escape(QStringLiteral("\\N")), QStringLiteral("\\\\N"));
    EXPECT_EQ(ConsoleWriter::escape(QStringLiteral("Édith Piaf & co\r")), QStringLiteral("Édith Piaf & co\r"));
}

TEST(ConsoleRun, PrintsEventsAndFollowsConnectDisconnect)
{
    auto server = startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road/02 Something.flac\""));
    server->command(QStringLiteral("play 0"));
    ConsoleProcess console({QStringLiteral("--host"), server->host(), QStringLiteral("--port"),
                            QString::number(server->port())});
    EXPECT_EQ(console.waitForLine(QStringLiteral("track\t")),
              QStringLiteral("track\t0\tAbbey Road\tSomething\tThe Beatles\tThe Beatles/Abbey Road/02 Something.flac"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("queue-track\t")), QStringLiteral("queue-track\t0"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("queue-state\t")), QStringLiteral("queue-state\t2\t0"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("state\t")), QStringLiteral("state\t2"));
    EXPECT_TRUE(console.waitForLine(QStringLiteral("progress\t")).endsWith(QStringLiteral("\t182")));
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

TEST(ConsoleRun, ReportsARefusedConnectionAndQuits)
{
    quint16 port;
    {
        MpdServer gone;
        port = gone.port();
    }
    ConsoleProcess console({QStringLiteral("--port"), QString::number(port)});
    EXPECT_TRUE(console.waitForLine(QStringLiteral("error\t")).startsWith(
        QStringLiteral("error\tConnexion rejetée\t1. Vérifiez que le serveur est joignable et que MPD est actif.\\n2.")));
    console.send(QStringLiteral("no-such-command"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("unknown\t")), QStringLiteral("unknown\tno-such-command"));
    console.send(QStringLiteral("quit"));
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitCode(), 0);
}

TEST(ConsoleRun, SigintEndsWithStatusZero)
{
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t")).isNull());
    ::kill(pid_t(console.process().processId()), SIGINT);
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitCode(), 0);
}
