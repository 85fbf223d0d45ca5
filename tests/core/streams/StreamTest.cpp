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
