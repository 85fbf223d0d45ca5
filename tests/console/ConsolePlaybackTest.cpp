// Playback modes, outputs, queue editing and search through the real console binary,
// cross-checked with mpc.
#include "ConsoleProcess.h"

#include "support/MpdServer.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kelvane::test;

namespace {

QStringList listAfter(ConsoleProcess &console, const QString &command, const QString &prefix) {
    const qsizetype from = console.lines().size();
    console.send(command);
    QStringList out;
    waitUntil([&] {
        out.clear();
        for (qsizetype i = from; i < console.lines().size(); ++i) {
            const QString &l = console.lines()[i];
            if (l.startsWith(prefix)) out << l;
            if (l.startsWith(QLatin1String("end\t")) || l == QLatin1String("absent")) {
                out << l;
                return true;
            }
        }
        return false;
    });
    return out;
}

QString lastLine(const ConsoleProcess &console, const QString &prefix) {
    const QStringList found =
        console.lines().filter(QRegularExpression(QStringLiteral("^") + prefix));
    return found.isEmpty() ? QString() : found.last();
}

} // namespace

TEST(ConsolePlayback, ModesFollowTheServerAndOneshotRoundTrips) {
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    EXPECT_EQ(console.waitForLine(QStringLiteral("options\t")),
              QStringLiteral("options\t0\t0\t0\t0\t0\toff"));

    // Another client changes them: the console shows it at once.
    server->mpc({QStringLiteral("random"), QStringLiteral("on")});
    server->mpc({QStringLiteral("crossfade"), QStringLiteral("5")});
    server->mpc({QStringLiteral("replaygain"), QStringLiteral("album")});
    EXPECT_TRUE(waitUntil(
        [&] {
            return lastLine(console, QStringLiteral("options\t")) ==
                   QStringLiteral("options\t1\t0\t0\t0\t5\talbum");
        },
        3000))
        << qPrintable(lastLine(console, QStringLiteral("options\t")));

    console.send(QStringLiteral("single oneshot"));
    console.send(QStringLiteral("repeat 1"));
    console.send(QStringLiteral("consume 1"));
    console.send(QStringLiteral("replaygain auto"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return lastLine(console, QStringLiteral("options\t")) ==
                   QStringLiteral("options\t1\t1\toneshot\t1\t5\tauto");
        },
        3000))
        << qPrintable(lastLine(console, QStringLiteral("options\t")));
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("single")),
              QStringLiteral("oneshot"));
    EXPECT_EQ(
        server->value(QStringLiteral("replay_gain_status"), QStringLiteral("replay_gain_mode")),
        QStringLiteral("auto"));

    for (const char *bad :
         {"random 2", "single yes", "crossfade -1", "crossfade 99999", "replaygain loud",
          "output 0", "output x 1", "move 1", "move a\t2", "playnext -1"}) {
        console.send(QString::fromLatin1(bad));
        EXPECT_FALSE(console
                         .waitForLine(QStringLiteral("invalid\t") +
                                          QString::fromLatin1(bad).section(u' ', 0, 0),
                                      2000)
                         .isNull())
            << bad;
    }
}

TEST(ConsolePlayback, OutputsToggleBothWays) {
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup")).isNull());
    EXPECT_EQ(listAfter(console, QStringLiteral("outputs"), QStringLiteral("output\t")),
              (QStringList{"output\t0\tnull\t1\tnull", "end\t1"}));
    console.send(QStringLiteral("output 0 0"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return server->mpc({QStringLiteral("outputs")}).contains(QStringLiteral("disabled"));
        },
        3000));
    server->mpc({QStringLiteral("enable"), QStringLiteral("1")});
    EXPECT_EQ(listAfter(console, QStringLiteral("outputs"), QStringLiteral("output\t")),
              (QStringList{"output\t0\tnull\t1\tnull", "end\t1"}));
}

TEST(ConsolePlayback, MovesKeepThePlayingSongAndSearchesCut) {
    MpdServer server;
    server.library().writeBulk(60, 10); // 600 songs of 1 s, every title "Title NN"
    for (int i = 0; i < 45; ++i)        // long enough to stay the playing song through the test
        server.library().add(QStringLiteral("Long/%1.flac").arg(i, 2, 10, QLatin1Char('0')),
                             {.artist = QStringLiteral("L"), .album = QStringLiteral("Long")}, 120);
    server.update();
    server.command(QStringLiteral("add \"Long\""));
    server.command(QStringLiteral("play 3"));
    const QString playing = server.value(QStringLiteral("currentsong"), QStringLiteral("file"));
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server.port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("state\t2")).isNull());

    // The playing entry (position 3) moved across: it goes on playing where it lands.
    console.send(QStringLiteral("move 3\t40"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return server.value(QStringLiteral("status"), QStringLiteral("song")) ==
                   QStringLiteral("40");
        },
        3000));
    EXPECT_EQ(server.value(QStringLiteral("currentsong"), QStringLiteral("file")), playing);
    EXPECT_EQ(server.value(QStringLiteral("status"), QStringLiteral("state")),
              QStringLiteral("play"));
    const QString first =
        server.command(QStringLiteral("playlistinfo 0")).filter(QStringLiteral("file:")).value(0);
    console.send(QStringLiteral("playnext 0"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return server.value(QStringLiteral("status"), QStringLiteral("song")) ==
                   QStringLiteral("39");
        },
        3000));
    EXPECT_EQ(
        server.command(QStringLiteral("playlistinfo 40")).filter(QStringLiteral("file:")).value(0),
        first);

    const QStringList songs =
        listAfter(console, QStringLiteral("findsongs title"), QStringLiteral("song\t"));
    EXPECT_EQ(songs.last(), QStringLiteral("end\t500"));
    const QStringList albums =
        listAfter(console, QStringLiteral("search album 0059 ARTIST"), QStringLiteral("album\t"));
    EXPECT_EQ(albums,
              (QStringList{"album\tArtist 005\tAlbum 0059\tArtist 005/Album 0059\t2019\tElectronic",
                           "end\t1"}));
    console.send(QStringLiteral("shuffle"));
    console.send(QStringLiteral("clear"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return server.value(QStringLiteral("status"), QStringLiteral("playlistlength")) ==
                   QStringLiteral("0");
        },
        3000));
}

// libmpdclient writes decimals with the C library: under the French locale a seek went
// out as "0,500" and mpd refused it. Both directions are checked.
TEST(ConsolePlayback, DecimalsCrossTheProtocolUnderTheFrenchLocale) {
    auto server = startStandardServer();
    server->mpc({QStringLiteral("add"), QStringLiteral("/")});
    server->command(QStringLiteral("command_list_begin\nplay 0\npause 1\nseekcur 1.5\n"
                                   "command_list_end"));
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())},
                           {{QStringLiteral("LANG"), QStringLiteral("fr_FR.UTF-8")}});
    EXPECT_EQ(console.waitForLine(QStringLiteral("progress\t")),
              QStringLiteral("progress\t1500\t3"))
        << qPrintable(server->value(QStringLiteral("status"), QStringLiteral("elapsed")));

    console.send(QStringLiteral("play"));
    ASSERT_TRUE(
        waitUntil([&] { return lastLine(console, QStringLiteral("state\t")) == "state\t2"; }));
    const qsizetype from = console.lines().size();
    console.send(QStringLiteral("seek 0.5"));
    // Back before where it was, in the same song: the seek went through.
    bool sameSong = true;
    EXPECT_TRUE(waitUntil([&] {
        for (qsizetype i = from; i < console.lines().size(); ++i) {
            const QStringList f = console.lines()[i].split(QLatin1Char('\t'));
            if (f[0] == QLatin1String("track") || f[0] == QLatin1String("error")) sameSong = false;
            if (sameSong && f[0] == QLatin1String("progress") && f[1].toInt() >= 500 &&
                f[1].toInt() < 1400)
                return true;
        }
        return !sameSong;
    })) << qPrintable(console.lines().mid(from).join(QLatin1Char('\n')));
    EXPECT_TRUE(sameSong) << qPrintable(console.lines().mid(from).join(QLatin1Char('\n')));
}

// Folding a search text for accents took time in the square of its accented letters
// (500,000 "é" took 10 s): two million of them are folded in one pass, and an accented
// word still finds its album.
TEST(ConsolePlayback, SearchFoldsAHugeAccentedTextInOnePass) {
    auto server = startStandardServer();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(server->port())});
    ASSERT_FALSE(console.waitForLine(QStringLiteral("connection\tup\t")).isNull());
    const QString huge = QStringLiteral("piaf ") + QString(2'000'000, QChar(0x00E9));
    const qsizetype from = console.lines().size();
    console.send(QStringLiteral("search ") + huge);
    // Generous: a linear fold takes well under a second; a quadratic one, minutes.
    EXPECT_TRUE(waitUntil(
        [&] { return console.lines().mid(from).contains(QStringLiteral("end\t0")); }, 60000))
        << qPrintable(console.lines().mid(from).join(QLatin1Char('\n')));
    EXPECT_EQ(listAfter(console, QStringLiteral("search ÉDITH PIAF"), QStringLiteral("album\t")),
              (QStringList{QStringLiteral("album\tÉdith Piaf\tBest of #1?\tÉdith Piaf/Best of "
                                          "#1?\t1960\tChanson"),
                           QStringLiteral("end\t1")}));
}
