// Pictures from the server itself (cover files, embedded pictures) over connections of
// their own, against a real mpd and against servers that lie about their sizes.
#include "EventRecorder.h"

#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"
#include "support/MpdServer.h"
#include "support/ScriptedServer.h"
#include "support/TestLibrary.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QImage>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;
using Kind = mpdc::PictureKind;
using Outcome = MPDPictures::Outcome;

namespace {

void connectTo(quint16 port) {
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), port);
    MPDSocket::sMPDSocket().connect();
}

} // namespace

TEST(Pictures, CoverFilesEmbeddedPicturesAndNone) {
    EventRecorder recorder;
    MpdServer server;
    const QByteArray embedded = TestLibrary::coverJpeg(QStringLiteral("embedded"), 300);
    server.library().add(QStringLiteral("Files/1.flac"),
                         {.artist = QStringLiteral("A"), .album = QStringLiteral("F")});
    server.library().addCover(QStringLiteral("Files"), QStringLiteral("file"), 200);
    server.library().addWithPicture(QStringLiteral("Tags/1.flac"),
                                    {.artist = QStringLiteral("B"), .album = QStringLiteral("T")},
                                    embedded);
    server.library().add(QStringLiteral("Bare/1.flac"),
                         {.artist = QStringLiteral("C"), .album = QStringLiteral("N")});
    server.update();
    connectTo(server.port());
    MPDPictures &pictures = MPDPictures::sMPDPictures();

    const auto file = pictures.fetch(Kind::CoverFile, QStringLiteral("Files/1.flac"), 1 << 20);
    ASSERT_EQ(file.outcome, Outcome::Found);
    EXPECT_EQ(QImage::fromData(file.bytes).size(), QSize(200, 200));
    const auto tag = pictures.fetch(Kind::Embedded, QStringLiteral("Tags/1.flac"), 1 << 20);
    ASSERT_EQ(tag.outcome, Outcome::Found);
    EXPECT_EQ(tag.bytes, embedded) << "read over many chunks, byte for byte";
    EXPECT_EQ(pictures.fetch(Kind::CoverFile, QStringLiteral("Bare/1.flac"), 1 << 20).outcome,
              Outcome::None);
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("Bare/1.flac"), 1 << 20).outcome,
              Outcome::None);
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("Gone/1.flac"), 1 << 20).outcome,
              Outcome::None);
    // Past the cap: refused from the announced size, nothing read.
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("Tags/1.flac"), 1000).outcome,
              Outcome::TooLarge);
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("Tags/1.flac"), 1 << 20).outcome,
              Outcome::Found);
    EXPECT_LE(pictures.openConnections(), MPDPictures::maxConnections);
    EXPECT_EQ(pictures.serverLabel(), QStringLiteral("127.0.0.1:%1").arg(server.port()));
    spin(50);
    EXPECT_TRUE(recorder.errors.isEmpty());
    MPDSocket::sMPDSocket().disconnect();
    EXPECT_EQ(pictures.fetch(Kind::CoverFile, QStringLiteral("Files/1.flac"), 1 << 20).outcome,
              Outcome::Unavailable);
}

TEST(Pictures, HostileAnswersAndRefusalsEndQuietly) {
    EventRecorder recorder;
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request.startsWith("albumart")) return {"ACK [5@0] {} unknown command \"albumart\"\n"};
        if (request.startsWith("readpicture \"short\""))
            return {"size: 5000\ntype: image/jpeg\nbinary: 4000\n" +
                    QByteArray(100, 'x')}; // then silence
        if (request.startsWith("readpicture \"liar\""))
            return {"size: 100\nbinary: 5000\n" + QByteArray(5000, 'x') + "\nOK\n"};
        if (request.startsWith("readpicture \"drip\""))
            return {"size: 10000000\nbinary: 1\nx\nOK\n"}; // a byte per round trip, for ever
        if (request.startsWith("readpicture \"huge\""))
            return {"size: 999999999\nbinary: 8192\n" + QByteArray(8192, 'x') + "\nOK\n"};
        return ScriptedServer::standard(request);
    });
    connectTo(server.port());
    MPDPictures &pictures = MPDPictures::sMPDPictures();
    // An old server: the step is off for the session, without an alert.
    EXPECT_EQ(pictures.fetch(Kind::CoverFile, QStringLiteral("a.flac"), 1 << 20).outcome,
              Outcome::Unavailable);
    EXPECT_FALSE(pictures.isOffered(Kind::CoverFile));
    EXPECT_TRUE(pictures.isOffered(Kind::Embedded));
    EXPECT_EQ(pictures.fetch(Kind::CoverFile, QStringLiteral("b.flac"), 1 << 20).outcome,
              Outcome::Unavailable);
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("liar"), 1 << 20).outcome,
              Outcome::TooLarge);
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("huge"), 1 << 20).outcome,
              Outcome::TooLarge);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("short"), 1 << 20).outcome,
              Outcome::Failed);
    EXPECT_LE(clock.elapsed(), 4500) << "a binary shorter than announced ends at the time-out";
    pictures.setReadDeadline(std::chrono::milliseconds(800));
    clock.restart();
    EXPECT_EQ(pictures.fetch(Kind::Embedded, QStringLiteral("drip"), 1 << 24).outcome,
              Outcome::Failed);
    EXPECT_LE(clock.elapsed(), 2500) << "every chunk comes in time, the whole picture does not";
    pictures.setReadDeadline(MPDPictures::defaultReadDeadline);
    spin(50);
    EXPECT_TRUE(recorder.errors.isEmpty());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected())
        << "the first connection never waited on a picture";
    MPDSocket::sMPDSocket().disconnect();
}
