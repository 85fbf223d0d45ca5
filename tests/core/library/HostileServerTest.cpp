// A server that speaks the protocol badly, on each of the core's own exchanges: the
// first connection's poll, the bulk connection's lists and the picture connections.
// Each case: nothing crashes, nothing waits past the time-out, one alert (none for a
// picture, whose failures are quiet by design), and a real server works right after.
#include "LibraryFixture.h"

#include "core/library/MPDQueue.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDPictures.h"
#include "support/ScriptedServer.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>

using namespace kelvane;
using namespace kelvane::test;
using Reply = ScriptedServer::Reply;

namespace {

constexpr qint64 timeoutBoundMs = MPDSocket::timeoutMs + 1500;

bool asksStatus(const QByteArray &request) {
    return request == "status" ||
           (request.startsWith("command_list") && request.contains("\nstatus\n"));
}

// Answers every status request (alone, or first in a command list) with body, then
// whatever the rest of the list wants; when closing or cut, only body.
ScriptedServer::Responder statusAnswer(QByteArray body, bool complete = true, bool close = false) {
    return [=](const QByteArray &request) -> Reply {
        if (!asksStatus(request)) return ScriptedServer::standard(request);
        if (!complete) return {body, close};
        if (request == "status") return {body + "OK\n"};
        QByteArray rest = request;
        rest.replace("\nstatus\n", "\n");
        QByteArray answer = ScriptedServer::standard(rest).bytes;
        return {body + (request.startsWith("command_list_ok_begin") ? "list_OK\n" : "") + answer};
    };
}

const QByteArray goodStatus =
    "volume: 50\nrepeat: 0\nrandom: 0\nsingle: 0\nconsume: 0\nplaylist: 3\n"
    "playlistlength: 2\nstate: play\nsong: 1\nsongid: 2\nelapsed: 1.500\n";

QByteArray statusWith(const QByteArray &from, const QByteArray &to) {
    QByteArray status = goodStatus;
    return status.replace(from, to);
}

ScriptedServer::Responder queueAnswer(Reply reply) {
    return [=](const QByteArray &request) -> Reply {
        if (request == "playlistinfo") return reply;
        return ScriptedServer::standard(request);
    };
}

struct HostileCase {
    const char *name;
    ScriptedServer::Responder responder;
    QByteArray greeting = "OK MPD 0.23.5\n";
    // What the client does that meets the fault, after connecting; none: the poll.
    std::function<void()> exchange = {};
    int alerts = 1;
};

class HostileServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        real = startStandardServer().release();
        // The socket's first use connects on its own: done here, so each case's connect
        // is the only attempt that may alert.
        connectCoreTo(*real);
        disconnectCore();
    }
    static void TearDownTestSuite() {
        delete real;
        real = nullptr;
    }
    void TearDown() override {
        disconnectCore();
        MPDSocket::sMPDSocket().setRetryUnitMs(1000);
    }
    static MpdServer *real;
};
MpdServer *HostileServer::real = nullptr;

} // namespace

TEST_F(HostileServer, EachBrokenAnswerIsOneAlertAndTheNextServerWorks) {
    const QList<HostileCase> cases = {
        {"wrong greeting", ScriptedServer::standard, "HTTP/1.1 400 Bad Request\r\n\r\n"},
        {"1 MiB line", statusAnswer("volume: 50\nname: " + QByteArray(1 << 20, 'x') + "\n")},
        {"OK missing", statusAnswer(goodStatus, false)},
        {"closed in the middle of an answer",
         statusAnswer("volume: 50\nrepeat: 0\nran", false, true)},
        {"volume 1000", statusAnswer(statusWith("volume: 50", "volume: 1000"))},
        {"elapsed -5", statusAnswer(statusWith("elapsed: 1.500", "elapsed: -5"))},
        {"song beyond the queue", statusAnswer(statusWith("song: 1\n", "song: 7\n"))},
        {"queue longer than any server holds",
         statusAnswer(statusWith("playlistlength: 2", "playlistlength: 2000001"))},
        {"list cut in the middle",
         queueAnswer({"file: a/1.flac\nTitle: One\nfile: a/2.flac\nTit", true}), "OK MPD 0.23.5\n",
         [] { EXPECT_FALSE(MPDQueue::sMPDQueue().getQueue()); }},
        {"list without its OK", queueAnswer({"file: a/1.flac\nTitle: One\n"}), "OK MPD 0.23.5\n",
         [] { EXPECT_FALSE(MPDQueue::sMPDQueue().getQueue()); }},
        {"binary: longer than what follows",
         [](const QByteArray &request) -> Reply {
             if (request.startsWith("readpicture"))
                 return {"size: 5000\ntype: image/jpeg\nbinary: 4000\n" + QByteArray(100, 'x')};
             return ScriptedServer::standard(request);
         },
         "OK MPD 0.23.5\n",
         [] {
             const auto result = MPDPictures::sMPDPictures().fetch(
                 mpdc::PictureKind::Embedded, QStringLiteral("a/1.flac"), 1 << 20);
             EXPECT_EQ(result.outcome, MPDPictures::Outcome::Failed);
         },
         0},
    };
    for (const HostileCase &test : cases) {
        SCOPED_TRACE(test.name);
        AlertRecorder recorder;
        ScriptedServer hostile(test.responder, test.greeting);
        QElapsedTimer clock;
        clock.start();
        Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), hostile.port());
        MPDSocket::sMPDSocket().connect();
        EXPECT_LE(clock.elapsed(), timeoutBoundMs);
        if (test.exchange) {
            clock.restart();
            test.exchange();
            EXPECT_LE(clock.elapsed(), timeoutBoundMs);
        }
        // The poll meets it within a tick, or at the time-out for an answer left open.
        if (test.alerts > 0) {
            EXPECT_TRUE(waitUntil([&] { return !recorder.alerts.isEmpty(); }, int(timeoutBoundMs)));
        }
        spin(300); // a second alert would come now
        EXPECT_EQ(recorder.alerts.size(), test.alerts);
        for (const MPDError &alert : recorder.alerts)
            EXPECT_FALSE(alert.error.isEmpty());

        recorder.alerts.clear();
        connectCoreTo(*real);
        EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
        EXPECT_TRUE(waitUntil([] { return MPDCache::sMPDCache().getStatus().has_value(); }));
        EXPECT_TRUE(MPDQueue::sMPDQueue().getQueue().has_value());
        EXPECT_TRUE(recorder.alerts.isEmpty());
        disconnectCore();
    }
}

TEST_F(HostileServer, ImpossibleStatusNumbersNameTheProblem) {
    AlertRecorder recorder;
    ScriptedServer hostile(statusAnswer(statusWith("volume: 50", "volume: 1000")));
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), hostile.port());
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(waitUntil([&] { return !recorder.alerts.isEmpty(); }));
    EXPECT_EQ(recorder.alerts[0].error, QStringLiteral("État du serveur incohérent"));
    EXPECT_FALSE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_FALSE(MPDCache::sMPDCache().getStatus().has_value())
        << "no impossible status reaches the views";
}

// The queue view's change read against a server that announces a long queue and sends
// one entry: rows come only from entries the server sent, never from the length alone.
TEST_F(HostileServer, QueueRowsComeOnlyFromEntriesTheServerSent) {
    // Step 0: a million entries announced, the last one reported. Step 1: four
    // announced, the fourth reported.
    std::atomic<int> step{0};
    ScriptedServer hostile([&](const QByteArray &request) -> Reply {
        const QByteArray length = step == 0 ? "1000000" : "4";
        const QByteArray changes = step == 0 ? "cpos: 999999\nId: 5\n" : "cpos: 3\nId: 9\n";
        const QByteArray status =
            "volume: 50\nplaylist: 9\nplaylistlength: " + length + "\nstate: stop\n";
        if (request == "status") return {status + "OK\n"};
        if (request.contains("plchangesposid"))
            return {status + "list_OK\n" + changes + "list_OK\nOK\n"};
        if (request.contains("playlistid")) return {"file: x.flac\nPos: 3\nId: 5\nOK\n"};
        if (request.startsWith("command_list_ok_begin\nstatus\nplaylistinfo"))
            return {status + "list_OK\nfile: a.flac\nPos: 0\nId: 1\nfile: b.flac\nPos: 1\n"
                             "Id: 2\nlist_OK\nOK\n"};
        return ScriptedServer::standard(request);
    });
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), hostile.port());
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
    MPDQueue &queue = MPDQueue::sMPDQueue();
    const QList<quint32> sent = {1, 2};

    QueueContent held;
    held.version = 1;
    auto update = queue.readChanges(held);
    ASSERT_TRUE(update.has_value());
    EXPECT_TRUE(update->whole) << "a change read that cannot fill the rows is read whole";
    EXPECT_EQ(update->content.ids, sent);
    EXPECT_EQ(update->content.songs.size(), 2);

    // Two rows held, four announced, the fourth reported: the third is nobody's.
    step = 1;
    held = update->content;
    held.version = 1;
    update = queue.readChanges(held);
    ASSERT_TRUE(update.has_value());
    EXPECT_TRUE(update->whole);
    EXPECT_EQ(update->content.ids, sent);
    EXPECT_FALSE(update->content.ids.contains(0u));
}
