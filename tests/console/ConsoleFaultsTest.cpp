// The real console binary where it used to crash, hang or lose data: commands during a
// database update, a server that breaks mid-answer or closes after a refusal, a
// playlist that does not exist, and the connection's state lines.
#include "ConsoleProcess.h"

#include "support/MpdServer.h"
#include "support/ScriptedServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kelvane::test;

namespace {

QStringList linesFrom(const ConsoleProcess &console, const QString &prefix) {
    return console.lines().filter(
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix)));
}

} // namespace

TEST(ConsoleFaults, ConnectAndDisconnectDuringAnUpdateAreMadeAndQuitIsAtOnce) {
    MpdServer server;
    server.library().writeBulk(40, 3);
    server.update();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t")).isNull());
    const auto count = [&](const QString &prefix) { return linesFrom(console, prefix).size(); };

    // A connect while the update is waited for: made at once, and the wait goes on over
    // the new connection until the update has settled (two looks a second apart, so
    // the connect always comes first).
    server.library().writeBulk(150, 3);
    console.send(QStringLiteral("update"));
    console.send(QStringLiteral("connect"));
    ASSERT_TRUE(waitUntil([&] { return count(QStringLiteral("connection\tup\t")) >= 2; }))
        << qPrintable(console.lines().join(QLatin1Char('\n')));
    ASSERT_FALSE(console.waitForLine(QStringLiteral("db-update"), 20000).isNull());
    EXPECT_EQ(count(QStringLiteral("album-update\tdbUpdateFinish")), 1);
    const QStringList albums = [&] {
        const qsizetype from = console.lines().size();
        console.send(QStringLiteral("albums"));
        EXPECT_TRUE(waitUntil([&] {
            return console.lines()
                       .mid(from)
                       .filter(QRegularExpression(QStringLiteral("^end\t")))
                       .size() == 1;
        }));
        return console.lines().mid(from).filter(QRegularExpression(QStringLiteral("^end\t")));
    }();
    EXPECT_EQ(albums, QStringList{QStringLiteral("end\t150")});

    // A disconnect while it is waited for: made at once, and the wait ends with it (the
    // server finishes on its own); no reconnect behind the user's back.
    const qsizetype ups = count(QStringLiteral("connection\tup\t"));
    const qsizetype downs = count(QStringLiteral("connection\tdown\tdisconnected"));
    server.library().writeBulk(300, 3);
    console.send(QStringLiteral("update"));
    console.send(QStringLiteral("disconnect"));
    ASSERT_TRUE(waitUntil([&] {
        return count(QStringLiteral("connection\tdown\tdisconnected")) == downs + 1 &&
               count(QStringLiteral("db-update")) == 2;
    })) << qPrintable(console.lines().join(QLatin1Char('\n')));
    EXPECT_EQ(count(QStringLiteral("album-update\tdbUpdateFinish")), 2);
    EXPECT_EQ(count(QStringLiteral("connection\tup\t")), ups);
    console.send(QStringLiteral("connect"));
    ASSERT_TRUE(waitUntil([&] { return count(QStringLiteral("connection\tup\t")) == ups + 1; }));

    // Quit while an update is being waited for: at once.
    server.library().writeBulk(400, 3);
    console.send(QStringLiteral("update"));
    ASSERT_TRUE(waitUntil([&] { return count(QStringLiteral("album-update\tMise à jour")) == 3; }));
    QElapsedTimer clock;
    clock.start();
    console.send(QStringLiteral("quit"));
    ASSERT_TRUE(console.waitForExit(3000));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(console.process().exitCode(), 0);
}

TEST(ConsoleFaults, AServerThatHangsUpAfterItsGreetingIsNeverUp) {
    // It greets, then closes every connection at the first request.
    ScriptedServer server([](const QByteArray &) {
        return ScriptedServer::Reply{"", true, false, {}};
    });
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port())});
    // The first attempt, then the one after a second.
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tretry\t2"), 8000).isNull())
        << qPrintable(console.lines().join(QLatin1Char('\n')));
    EXPECT_GE(server.connections(), 2);
    EXPECT_TRUE(linesFrom(console, QStringLiteral("connection\tup")).isEmpty())
        << qPrintable(console.lines().join(QLatin1Char('\n')));
    EXPECT_EQ(linesFrom(console, QStringLiteral("connection\tdown\t")),
              QStringList{QStringLiteral("connection\tdown\tConnection closed by the server")});
    EXPECT_EQ(linesFrom(console, QStringLiteral("error\t")).size(), 1);
    EXPECT_TRUE(linesFrom(console, QStringLiteral("error\t"))
                    .value(0)
                    .startsWith(QStringLiteral("error\tConnexion fermée par le serveur\t")));
}

TEST(ConsoleFaults, ServerGoneInTheMiddleOfTheCatalogue) {
    // The second connection reads the catalogue; its answer stops half-way and the
    // server hangs up on it.
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "listall \"\"") return {"file: a/1.flac\nfile: b/1.flac\nOK\n"};
        if (request.startsWith("command_list_ok_begin\nlsinfo"))
            return {"file: a/1.flac\nAlbum: A\nlist_OK\nfile: b/1", true};
        return ScriptedServer::standard(request);
    });
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t")).isNull());
    console.send(QStringLiteral("albums"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("absent")), QStringLiteral("absent"));
    console.send(QStringLiteral("queue"));
    spin(500);
    EXPECT_EQ(console.process().state(), QProcess::Running);
    EXPECT_LE(linesFrom(console, QStringLiteral("error\t")).size(), 1);
}

TEST(ConsoleFaults, WritesAfterTheServerHungUpAreErrorsNotADeadProcess) {
    // The server answers "listall", then hangs up: the catalogue's long command list is
    // written in several pieces into a closed socket (SIGPIPE, unless ignored).
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "listall \"\"") {
            QByteArray files;
            for (int i = 0; i < 400; ++i)
                files += "file: " + QByteArray(100, 'd') + QByteArray::number(i) + "/1.flac\n";
            return {files + "OK\n", true};
        }
        return ScriptedServer::standard(request);
    });
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t")).isNull());
    console.send(QStringLiteral("albums"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("absent")), QStringLiteral("absent"));
    spin(300);
    EXPECT_EQ(console.process().state(), QProcess::Running);
    console.send(QStringLiteral("quit"));
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitStatus(), QProcess::NormalExit);
}

TEST(ConsoleFaults, PlayingAPlaylistThatDoesNotExistLeavesTheQueue) {
    auto server = startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t")).isNull());
    console.send(QStringLiteral("playplaylist Nope\t0"));
    EXPECT_TRUE(console.waitForLine(QStringLiteral("error\t"))
                    .startsWith(QStringLiteral("error\tPlaylist introuvable\t")));
    spin(300);
    EXPECT_EQ(linesFrom(console, QStringLiteral("error\t")).size(), 1);
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("playlistlength")),
              QStringLiteral("2"));
}

TEST(ConsoleFaults, ConnectionLinesFollowTheServer) {
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    EXPECT_EQ(console.waitForLine(QStringLiteral("connection\t")),
              QStringLiteral("connection\tup\t0.23.5"));
    server->stop();
    // Closed or reset, as the server's going reaches our socket first.
    const QString down = console.waitForLine(QStringLiteral("connection\tdown\t"));
    EXPECT_TRUE(down == QStringLiteral("connection\tdown\tConnection closed by the server") ||
                down.startsWith(QStringLiteral("connection\tdown\tConnection reset")))
        << down.toStdString();
    EXPECT_EQ(console.waitForLine(QStringLiteral("connection\tretry\t")),
              QStringLiteral("connection\tretry\t1"));
    server->start();
    ASSERT_TRUE(waitUntil(
        [&] { return linesFrom(console, QStringLiteral("connection\tup\t")).size() == 2; }, 8000));
    EXPECT_EQ(linesFrom(console, QStringLiteral("error\t")).size(), 1);
    console.send(QStringLiteral("disconnect"));
    ASSERT_TRUE(waitUntil([&] {
        return console.lines().contains(QStringLiteral("connection\tdown\tdisconnected"));
    }));
}
