// What the connection refuses to send, and how it ends when the server breaks the
// protocol: against a real mpd, and against scripted servers that answer badly.
#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"
#include "support/MpdServer.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;
using mpdc::Connection;

namespace {

struct Opened {
    std::unique_ptr<Connection> connection;
    QStringList refusals;
};

std::unique_ptr<Opened> open(quint16 port) {
    auto opened = std::make_unique<Opened>();
    opened->connection = Connection::open(QStringLiteral("127.0.0.1"), port, 3000);
    opened->connection->setRefusalHandler(
        [raw = opened.get()](const mpdc::Failure &f) { raw->refusals << f.message; });
    return opened;
}

QString queueLength(MpdServer &server) {
    return server.value(QStringLiteral("status"), QStringLiteral("playlistlength"));
}

} // namespace

TEST(ConnectionSafety, ControlCharactersAndOverlongLinesNeverReachTheServer) {
    auto server = startStandardServer();
    server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
    server->command(QStringLiteral("save \"Kept\""));
    ASSERT_EQ(queueLength(*server), QStringLiteral("2"));
    auto o = open(server->port());
    Connection &c = *o->connection;

    // A radio name as a directory page decodes it: the line feeds would run "clear".
    const QString injected = QStringLiteral("Jazz FM\nclear\nping");
    const QString longText(4100, QLatin1Char('a'));
    const QString control = QString::fromLatin1(mpdc::controlCharacterMessage);
    const QString tooLong = QString::fromLatin1(mpdc::tooLongMessage);
    const struct {
        const char *what;
        std::function<bool()> call;
        QString message;
    } cases[] = {
        {"add", [&] { return c.add(injected); }, control},
        {"addAt", [&] { return c.addAt(QStringLiteral("a\rb"), 0); }, control},
        {"playlistAdd name",
         [&] {
             return c.playlistAdd(QStringLiteral("[Radio Streams]\nclear"), QStringLiteral("x"));
         },
         control},
        {"playlistAdd uri",
         [&] {
             return c.playlistAdd(QStringLiteral("Kept"), QStringLiteral("http://x/#") + injected);
         },
         control},
        {"save", [&] { return c.save(QStringLiteral("tab\there")); }, control},
        {"rename", [&] { return c.rename(QStringLiteral("Kept"), QStringLiteral("New\x7f")); },
         control},
        {"removePlaylist", [&] { return c.removePlaylist(QStringLiteral("Kept\nclear")); },
         control},
        {"playlistClear", [&] { return c.playlistClear(QString::fromUtf8("Kept\0", 5)); }, control},
        {"listMeta", [&] { return c.listMeta(injected).has_value(); }, control},
        {"update", [&] { return c.update(injected) != 0; }, control},
        {"add long", [&] { return c.add(longText); }, tooLong},
        {"rename long", [&] { return c.rename(QString(2100, u'é'), QStringLiteral("x")); },
         tooLong},
    };
    for (const auto &test : cases) {
        o->refusals.clear();
        EXPECT_FALSE(test.call()) << test.what;
        EXPECT_EQ(o->refusals, QStringList{test.message}) << test.what;
        EXPECT_FALSE(c.hasError()) << test.what << ": a refusal leaves the connection usable";
    }
    EXPECT_EQ(queueLength(*server), QStringLiteral("2"));
    EXPECT_EQ(server->command(QStringLiteral("listplaylists")).filter(QStringLiteral("playlist:")),
              QStringList{QStringLiteral("playlist: Kept")});
    // Just under the limit still goes through (the server refuses the unknown song).
    o->refusals.clear();
    EXPECT_FALSE(c.add(QString(4000, QLatin1Char('a'))));
    ASSERT_EQ(o->refusals.size(), 1);
    EXPECT_NE(o->refusals[0], tooLong);
    EXPECT_TRUE(c.status().has_value());
}

TEST(ConnectionSafety, ArgumentRuleCountsEscapedUtf8Bytes) {
    using mpdc::ArgumentProblem;
    EXPECT_EQ(mpdc::checkArguments({u"Été", u"a\"b\\c"}), ArgumentProblem::None);
    EXPECT_EQ(mpdc::checkArguments({QString(2000, u'"')}), ArgumentProblem::None);
    EXPECT_EQ(mpdc::checkArguments({QString(2100, u'"')}),
              ArgumentProblem::TooLong); // escaped: 4200 bytes
    EXPECT_EQ(mpdc::checkArguments({QString(1400, u'€')}),
              ArgumentProblem::TooLong); // 4200 bytes of UTF-8
    EXPECT_EQ(mpdc::checkArguments({QString(1300, u'€')}), ArgumentProblem::None);
    EXPECT_EQ(mpdc::checkArguments({u"ok", u"bad\u0085"}), ArgumentProblem::None); // C1 is text
    EXPECT_EQ(mpdc::checkArguments({u"ok", QStringView(u"x\u001fy")}),
              ArgumentProblem::ControlCharacter);
}

TEST(ConnectionSafety, FailureInTheMiddleOfAnAnswerClosesTheConnectionForGood) {
    // The catalogue's command list is answered in part, then the server goes away.
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request.startsWith("command_list_ok_begin\nlsinfo"))
            return {"file: a/1.flac\nAlbum: A\nlist_OK\nfile: b/1.fl", true};
        return ScriptedServer::standard(request);
    });
    auto o = open(server.port());
    Connection &c = *o->connection;
    qsizetype failedAt = -1;
    EXPECT_FALSE(c.listAlbumTagsMany(
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, 256, &failedAt));
    EXPECT_EQ(failedAt, 1);
    EXPECT_TRUE(c.isClosed());
    EXPECT_EQ(c.errorKind(), mpdc::ErrorKind::Other);
    EXPECT_FALSE(c.errorMessage().isEmpty());
    EXPECT_TRUE(o->refusals.isEmpty());
    // Every later call fails at once, without reaching the library (which would abort on
    // a connection left in command-list mode with its error set).
    EXPECT_FALSE(c.poll().statusOk);
    EXPECT_FALSE(c.status());
    EXPECT_FALSE(c.add(QStringLiteral("x")));
    EXPECT_FALSE(c.queue());
    EXPECT_FALSE(c.listAlbumTagsMany({QStringLiteral("a")}));
    EXPECT_FALSE(c.finishResponse());
    EXPECT_EQ(c.fd(), -1);
    const int requests = int(server.requests().size());
    EXPECT_EQ(requests, 1);
}

TEST(ConnectionSafety, EndlessAnswersAreCutAtTheBound) {
    Connection::setAnswerLimits(5000, 1 << 20);
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "playlistinfo") return {"", false, false, "file: song.flac\nTitle: t\n"};
        if (request.startsWith("listall")) return {"", false, false, "file: a/b.flac\n"};
        if (request == "listplaylists") return {"", false, false, "playlist: p\n"};
        if (request.startsWith("command_list_ok_begin"))
            return {"", false, false,
                    QByteArray("file: x/y.flac\nTitle: ") + QByteArray(3000, 'x') + "\n"};
        return ScriptedServer::standard(request);
    });
    const std::function<bool(Connection &)> reads[] = {
        [](Connection &c) { return c.queue().has_value(); },
        [](Connection &c) { return c.listAllSongUris(QString()).has_value(); },
        [](Connection &c) { return c.playlists().has_value(); },
        [](Connection &c) { return c.listAlbumTagsMany({QStringLiteral("x")}).has_value(); },
    };
    for (const auto &read : reads) {
        auto o = open(server.port());
        EXPECT_FALSE(read(*o->connection));
        EXPECT_TRUE(o->connection->isClosed());
        EXPECT_EQ(o->connection->errorMessage(), QString::fromLatin1(mpdc::answerTooLargeMessage));
    }
    Connection::resetAnswerLimits();
}

TEST(ConnectionSafety, BrokenGreetingsAndSilenceEndTheConnectAttempt) {
    ScriptedServer garbage([](const QByteArray &) { return ScriptedServer::Reply{"OK\n"}; },
                           "HTTP/1.1 400 Bad Request\r\n\r\n");
    auto a = Connection::open(QStringLiteral("127.0.0.1"), garbage.port(), 3000);
    EXPECT_TRUE(a->isClosed());
    EXPECT_EQ(a->errorKind(), mpdc::ErrorKind::Malformed);
    EXPECT_EQ(a->errorMessage(), QStringLiteral("Malformed connect message received"));

    // A line past the library's buffer breaks the protocol: the connection closes.
    ScriptedServer longLine([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "playlistinfo")
            return {"file: a\nTitle: " + QByteArray(20000, 'x') + "\nOK\n"};
        return ScriptedServer::standard(request);
    });
    auto b = Connection::open(QStringLiteral("127.0.0.1"), longLine.port(), 3000);
    EXPECT_FALSE(b->queue());
    EXPECT_TRUE(b->isClosed());
    EXPECT_EQ(b->errorKind(), mpdc::ErrorKind::Malformed);
    EXPECT_FALSE(b->poll().statusOk);

    // Written to after the server closed: an error, not a signal (nor a hang).
    ScriptedServer closing([](const QByteArray &) { return ScriptedServer::Reply{"", true}; });
    auto c = Connection::open(QStringLiteral("127.0.0.1"), closing.port(), 3000);
    EXPECT_FALSE(c->play());
    EXPECT_TRUE(c->isClosed());
    EXPECT_FALSE(c->add(QStringLiteral("x")));
}
