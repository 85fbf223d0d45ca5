// The stored form of a saved stream and the name shown for an address.
#include "core/streams/Stream.h"
#include "core/streams/MPDStream.h"

#include <gtest/gtest.h>

using namespace kelvane;

TEST(StreamEntry, SplitAtTheFirstNumberSign) {
    const Stream s =
        Stream::fromEntry(QStringLiteral("http://radio.example/live#Radio #1 #best"), 4);
    EXPECT_EQ(s.url, QStringLiteral("http://radio.example/live"));
    EXPECT_EQ(s.name, QStringLiteral("Radio #1 #best"));
    EXPECT_EQ(s.position, 4);

    const Stream noName = Stream::fromEntry(QStringLiteral("http://radio.example/live#"), 0);
    EXPECT_EQ(noName.url, QStringLiteral("http://radio.example/live"));
    EXPECT_TRUE(noName.name.isEmpty());

    const Stream noAddress = Stream::fromEntry(QStringLiteral("#Name"), 0);
    EXPECT_TRUE(noAddress.url.isEmpty());
    EXPECT_EQ(noAddress.name, QStringLiteral("Name"));
}

TEST(StreamEntry, WithoutNumberSignTheAddressIsAlsoTheName) {
    const Stream s = Stream::fromEntry(QStringLiteral("http://radio.example/live"), 2);
    EXPECT_EQ(s.url, QStringLiteral("http://radio.example/live"));
    EXPECT_EQ(s.name, QStringLiteral("http://radio.example/live"));
}

TEST(StreamEntry, StoredFormJoinsAddressAndName) {
    EXPECT_EQ(Stream::entryText(QStringLiteral("http://a/b"), QStringLiteral("Jazz #2")),
              QStringLiteral("http://a/b#Jazz #2"));
    const Stream back = Stream::fromEntry(
        Stream::entryText(QStringLiteral("http://a/b"), QStringLiteral("Jazz #2")), 0);
    EXPECT_EQ(back.url, QStringLiteral("http://a/b"));
    EXPECT_EQ(back.name, QStringLiteral("Jazz #2"));
}

TEST(StreamName, QueueTakesTheFirstMatchNowPlayingTheLast) {
    const QList<Stream> streams = {
        Stream::fromEntry(QStringLiteral("http://a#First"), 0),
        Stream::fromEntry(QStringLiteral("http://b#Other"), 1),
        Stream::fromEntry(QStringLiteral("http://a#Second"), 2),
    };
    EXPECT_EQ(MPDStream::streamNameForQueue(streams, QStringLiteral("http://a")),
              QStringLiteral("First"));
    EXPECT_EQ(MPDStream::streamNameForNowPlaying(streams, QStringLiteral("http://a")),
              QStringLiteral("Second"));
    EXPECT_EQ(MPDStream::streamNameForQueue(streams, QStringLiteral("http://b")),
              QStringLiteral("Other"));
    // Exact equality only.
    EXPECT_TRUE(MPDStream::streamNameForQueue(streams, QStringLiteral("http://a/")).isNull());
    EXPECT_TRUE(MPDStream::streamNameForNowPlaying(streams, QStringLiteral("HTTP://A")).isNull());
    EXPECT_TRUE(MPDStream::streamNameForNowPlaying({}, QStringLiteral("http://a")).isNull());
}

// What may be handed to the server as a stream: the queue is cleared for it, so the
// first line of a misread playlist file or a text with a blank never passes.
TEST(StreamAddress, OnlyAddressesOfTheServersNetworkInputsArePlayable) {
    for (const char *good :
         {"http://radio.example/live", "https://radio.example:8443/a.mp3?x=1",
          "HTTP://RADIO.EXAMPLE/", "mms://wm.example/live", "rtsp://cam.example/stream",
          "http://127.0.0.1:9/live.mp3", "http://[::1]:8000/stream",
          "http://user:pw@radio.example/x", "http://radio.example/live#.mp3",
          "http://radio.example/%5Bx%5D", "http://café.example/écoute"})
        EXPECT_TRUE(Stream::isPlayableAddress(QString::fromUtf8(good))) << good;
    for (const char *bad :
         {"", "[playlist]", "#EXTM3U", "<asx version=\"3.0\">", "File1=http://radio.example/a",
          "http://", "http:///path", "http://radio.example/a stream", "http://radio.example/[a]",
          "http://[radio.example]/", "http://[::1", "http://x:80a/", "ftp://radio.example/a",
          "file:///home/music/a.flac", "radio.example/live", "Music/a.flac",
          "http://radio.example/a\tb", "http://radio.example/\"a\"", "not found"})
        EXPECT_FALSE(Stream::isPlayableAddress(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(Stream::isPlayableAddress(QString()));
    EXPECT_FALSE(Stream::isPlayableAddress(QStringLiteral("http://radio.example/a\nclear")));
}
