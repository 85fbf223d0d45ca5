// What one answer may cost: every read is held to a bound on the text it takes in, not
// only on the records it keeps, and a record keeps one value per tag. Scripted servers
// answer too much, in each of the shapes a list, a status or a record can take.
#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"
#include "support/ScriptedServer.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;
using mpdc::Connection;
using Reply = ScriptedServer::Reply;

namespace {

// Lowers the bounds for one test; the ones in use come back after it.
struct Limits {
    Limits(qsizetype entries, qsizetype bytes, qsizetype text) {
        Connection::setAnswerLimits(entries, bytes, text);
    }
    ~Limits() { Connection::resetAnswerLimits(); }
};

// About 300 bytes of text, the size of a song with its usual tags.
const QByteArray song = "file: Artist/Album/01 A title of a usual length.flac\n"
                        "Last-Modified: 2024-01-01T00:00:00Z\nFormat: 44100:16:2\n"
                        "Artist: An Artist\nAlbumArtist: An Artist\nTitle: A title\n"
                        "Album: An Album\nTrack: 1\nDate: 2001\nGenre: Rock\n"
                        "Composer: A Composer\nTime: 245\nduration: 245.000\nPos: 0\nId: 1\n";

Reply songs(qint64 count) {
    Reply reply;
    reply.repeated = song;
    reply.times = count;
    reply.tail = "OK\n";
    return reply;
}

Reply endless(QByteArray head, QByteArray line) {
    Reply reply;
    reply.bytes = std::move(head);
    reply.endless = std::move(line);
    return reply;
}

std::unique_ptr<Connection> open(const ScriptedServer &server) {
    return Connection::open(QStringLiteral("127.0.0.1"), server.port(), 3000);
}

} // namespace

TEST(AnswerBounds, TheTextReadIsBoundedWhateverIsKept) {
    // Records and memory far from their bounds: only the text can stop these answers.
    const Limits limits(1'000'000, qsizetype(1) << 30, qsizetype(1) << 20);
    ASSERT_LT(song.size() * 3000, 1 << 20);
    ASSERT_GT(song.size() * 5000, 1 << 20);
    ScriptedServer server([](const QByteArray &request) -> Reply {
        if (request == "playlistinfo") return songs(5000);               // 1.5 MB of text
        if (request == "listplaylistinfo \"under\"") return songs(3000); // 0.9 MB
        // Lines nothing is kept of: the reads used to take them until the server stopped.
        if (request == "listplaylists") return endless({}, "Last-Modified: 2024-01-01T00:00:00Z\n");
        if (request == "replay_gain_status") return endless({}, "replay_gain_other: 1\n");
        if (request == "status" || request.startsWith("command_list_ok_begin\nstatus\ncurrentsong"))
            return endless({}, "volume: 50\n");
        if (request == "outputs")
            return endless("outputid: 0\noutputname: Null\nplugin: null\n", "attribute: a=b\n");
        return ScriptedServer::standard(request);
    });
    const struct {
        const char *what;
        std::function<bool(Connection &)> read;
    } cases[] = {
        {"a list of few records", [](Connection &c) { return c.queue().has_value(); }},
        {"lines between records", [](Connection &c) { return c.playlists().has_value(); }},
        {"lines of no interest", [](Connection &c) { return c.replayGainMode().has_value(); }},
        {"a status without end", [](Connection &c) { return c.status().has_value(); }},
        {"a status in the poll", [](Connection &c) { return c.poll().statusOk; }},
        {"one record's attributes", [](Connection &c) { return c.outputs().has_value(); }},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        auto c = open(server);
        EXPECT_FALSE(test.read(*c));
        EXPECT_TRUE(c->isClosed());
        EXPECT_EQ(c->errorMessage(), QString::fromLatin1(mpdc::answerTooLargeMessage));
    }
    // Under the bound the same records are read whole.
    auto c = open(server);
    const auto under = c->playlistSongs(QStringLiteral("under"));
    ASSERT_TRUE(under.has_value());
    EXPECT_EQ(under->size(), 3000u);
    EXPECT_EQ(under->back().title, QStringLiteral("A title"));
    EXPECT_FALSE(c->isClosed());
}

TEST(AnswerBounds, ARecordKeepsTheFirstValueOfATagAndReadsOn) {
    // A million values of one tag, each appended at the end of a list walked every time,
    // kept the library's reader busy for about an hour.
    ScriptedServer server([](const QByteArray &request) -> Reply {
        if (request == "playlistinfo") {
            Reply reply;
            reply.bytes = "file: a.flac\nArtist: First\n";
            reply.repeated = "Artist: again\n";
            reply.times = 1'000'000;
            reply.tail = "Title: After them\nId: 3\nfile: b.flac\nArtist: Second\nOK\n";
            return reply;
        }
        if (request.startsWith("command_list_ok_begin\nstatus\ncurrentsong")) {
            Reply reply = ScriptedServer::standard("status");
            reply.bytes.chop(3); // its "OK\n"
            reply.bytes += "list_OK\nfile: a.flac\nTitle: First\n";
            reply.repeated = "Title: again\n";
            reply.times = 1'000'000;
            reply.tail = "list_OK\nOK\n";
            return reply;
        }
        return ScriptedServer::standard(request);
    });
    auto c = open(server);
    const auto queue = c->queue();
    ASSERT_TRUE(queue.has_value());
    ASSERT_EQ(queue->size(), 2u);
    EXPECT_EQ((*queue)[0].artist, QStringLiteral("First"));
    EXPECT_EQ((*queue)[0].title, QStringLiteral("After them"));
    EXPECT_EQ((*queue)[0].id, 3u);
    EXPECT_EQ((*queue)[1].artist, QStringLiteral("Second"));
    const mpdc::PollResult poll = c->poll();
    ASSERT_TRUE(poll.songOk);
    ASSERT_EQ(poll.songs.size(), 1u);
    EXPECT_EQ(poll.songs[0].title, QStringLiteral("First"));
    EXPECT_FALSE(c->isClosed());
}

TEST(AnswerBounds, RecordsThatCannotBeginBreakTheConnection) {
    ScriptedServer server([](const QByteArray &request) -> Reply {
        if (request == "playlistinfo") return {"file: a.flac\nTitle: A\nfile: \nTitle: B\nOK\n"};
        if (request.startsWith("lsinfo")) return {"directory: a\nfile: \nOK\n"};
        return ScriptedServer::standard(request);
    });
    const struct {
        const char *what;
        std::function<bool(Connection &)> read;
    } cases[] = {
        {"song", [](Connection &c) { return c.queue().has_value(); }},
        {"entity", [](Connection &c) { return c.listMeta(QStringLiteral("a")).has_value(); }},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        auto c = open(server);
        ASSERT_FALSE(test.read(*c));
        EXPECT_TRUE(c->isClosed());
        EXPECT_EQ(c->errorKind(), mpdc::ErrorKind::Malformed);
        EXPECT_EQ(c->errorMessage(), QString::fromLatin1(mpdc::malformedRecordMessage));
    }
}

TEST(AnswerBounds, AQueueLongerThanAnyServerHoldsIsAnImpossibleStatus) {
    const auto status = [](quint32 length) -> QByteArray {
        return "volume: 50\nplaylist: 3\nplaylistlength: " + QByteArray::number(length) +
               "\nstate: stop\n";
    };
    ScriptedServer server([&](const QByteArray &request) -> Reply {
        const quint32 length =
            request.contains("plchangesposid") ? mpdc::maxQueueLength + 1 : mpdc::maxQueueLength;
        if (request == "status") return {status(length) + "OK\n"};
        if (request.startsWith("command_list_ok_begin\nstatus\n"))
            return {status(length) + "list_OK\nlist_OK\nOK\n"};
        return ScriptedServer::standard(request);
    });
    auto c = open(server);
    const auto fine = c->status();
    ASSERT_TRUE(fine.has_value());
    EXPECT_EQ(fine->queueLength, mpdc::maxQueueLength);
    EXPECT_FALSE(c->queueChangesSince(1));
    EXPECT_TRUE(c->isClosed());
    EXPECT_EQ(c->errorMessage(), QString::fromLatin1(mpdc::implausibleStatusMessage));
}
