// Saved streams kept on a real server.
#include "core/library/LibraryFixture.h"
#include "support/ServerSuite.h"

#include "core/streams/MPDStream.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class SavedStreams : public ServerSuite {
  protected:
    void SetUp() override {
        QDir dir(server->playlistDir());
        for (const QString &file : dir.entryList(QDir::Files))
            dir.remove(file);
        connectCoreTo(*server);
    }
    void TearDown() override { disconnectCore(); }

    QStringList describe() {
        QStringList out;
        const QList<Stream> streams = MPDStream::sMPDStream().getStreamList().value();
        for (const Stream &s : streams)
            out << QString::number(s.position) + u'|' + s.url + u'|' + s.name;
        return out;
    }
};

} // namespace

TEST_F(SavedStreams, NoPlaylistIsAnEmptyListAndTheFirstAddCreatesIt) {
    const auto none = MPDStream::sMPDStream().getStreamList();
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->isEmpty());

    MPDStream::sMPDStream().addStream(QStringLiteral("http://127.0.0.1:9/jazz#Jazz Radio"));
    EXPECT_EQ(describe(), (QStringList{"0|http://127.0.0.1:9/jazz|Jazz Radio"}));
    EXPECT_EQ(server->command(QStringLiteral("listplaylist \"[Radio Streams]\"")),
              (QStringList{"file: http://127.0.0.1:9/jazz#Jazz Radio"}));

    // Nothing for an empty entry (to the server that would be the whole database).
    MPDStream::sMPDStream().addStream(QString());
    EXPECT_EQ(describe().size(), 1);

    disconnectCore();
    EXPECT_FALSE(MPDStream::sMPDStream().getStreamList().has_value());
}

TEST_F(SavedStreams, EntriesSplitAtTheFirstNumberSignWithPositionsWithoutGaps) {
    MPDStream &streams = MPDStream::sMPDStream();
    streams.addStream(QStringLiteral("http://127.0.0.1:9/a#Radio #1"));
    streams.addStream(QStringLiteral("http://127.0.0.1:9/b#"));
    // Written by another client, without a name.
    server->command(QStringLiteral("playlistadd \"[Radio Streams]\" \"http://127.0.0.1:9/c\""));
    streams.addStream(QStringLiteral("http://127.0.0.1:9/d#Été"));
    EXPECT_EQ(describe(), (QStringList{"0|http://127.0.0.1:9/a|Radio #1", "1|http://127.0.0.1:9/b|",
                                       "2|http://127.0.0.1:9/c|http://127.0.0.1:9/c",
                                       "3|http://127.0.0.1:9/d|Été"}));

    streams.deleteStream(0);
    EXPECT_EQ(describe(),
              (QStringList{"0|http://127.0.0.1:9/b|", "1|http://127.0.0.1:9/c|http://127.0.0.1:9/c",
                           "2|http://127.0.0.1:9/d|Été"}));
    streams.deleteStream(1);
    EXPECT_EQ(describe(), (QStringList{"0|http://127.0.0.1:9/b|", "1|http://127.0.0.1:9/d|Été"}));
}

TEST_F(SavedStreams, OnlyThePlaylistNamedExactlyRadioStreamsIsRead) {
    // Listed after the real one and starting like it: it must not be what the view
    // shows while additions and deletions go to the real one.
    MPDStream::sMPDStream().addStream(QStringLiteral("http://127.0.0.1:9/real#Real"));
    QFile file(QDir(server->playlistDir()).filePath(QStringLiteral("[Radio Streams] old.m3u")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("http://127.0.0.1:9/old#Old\n");
    file.close();
    EXPECT_EQ(describe(), (QStringList{"0|http://127.0.0.1:9/real|Real"}));
    MPDStream::sMPDStream().deleteStream(0);
    EXPECT_TRUE(describe().isEmpty());
}

TEST_F(SavedStreams, ANameWithLineFeedsIsRefusedBeforeAnythingIsSent) {
    // A directory entry named "Jazz FM&#10;clear&#10;ping", decoded and saved with "+".
    server->command(QStringLiteral("add \"http://radio.invalid/kept\""));
    AlertRecorder alerts;
    MPDStream::sMPDStream().addStream(
        QStringLiteral("http://radio.invalid/jazz#Jazz FM\nclear\nping"));
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    spin(100);
    ASSERT_EQ(alerts.alerts.size(), 1);
    EXPECT_EQ(alerts.alerts[0].error, QStringLiteral("Texte refusé"));
    EXPECT_EQ(server->value(QStringLiteral("status"), QStringLiteral("playlistlength")),
              QStringLiteral("1"));
    EXPECT_TRUE(describe().isEmpty());
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    server->command(QStringLiteral("clear"));
}
