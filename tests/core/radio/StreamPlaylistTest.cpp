#include "core/radio/StreamPlaylist.h"

#include <gtest/gtest.h>

using namespace kelvane;
using Kind = StreamPlaylist::Kind;

namespace {
QString text(const char *raw) {
    return QString::fromUtf8(raw);
}
} // namespace

TEST(StreamPlaylistDispatch, ExtensionIgnoresCase) {
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/live.pls"), Kind::Pls);
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/LIVE.PLS"), Kind::Pls);
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/live.M3U"), Kind::M3u);
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/hls/index.m3u8"), Kind::M3u);
    EXPECT_EQ(StreamPlaylist::kindOf(u"https://radio.example/wm.Asx"), Kind::Asx);
}

TEST(StreamPlaylistDispatch, AnythingElseIsTheStreamItself) {
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example:8000/stream"), Kind::Stream);
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/live.mp3"), Kind::Stream);
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.pls.example/"), Kind::Stream);
    EXPECT_EQ(StreamPlaylist::kindOf(u""), Kind::Stream);
}

TEST(StreamPlaylistDispatch, QueryAfterTheExtensionMatchesNothing) {
    EXPECT_EQ(StreamPlaylist::pathExtension(u"http://radio.example/listen.pls?sid=1"),
              u"pls?sid=1");
    EXPECT_EQ(StreamPlaylist::kindOf(u"http://radio.example/listen.pls?sid=1"), Kind::Stream);
}

TEST(StreamPlaylistDispatch, FirstLineDropsOneCarriageReturn) {
    const QString first =
        StreamPlaylist::firstLine(text("http://radio.example/live.pls\r\nhttp://other\r\n"));
    EXPECT_EQ(first, u"http://radio.example/live.pls");
    EXPECT_EQ(StreamPlaylist::kindOf(first), Kind::Pls);
    EXPECT_EQ(StreamPlaylist::firstLine(text("http://radio.example/a.m3u\r\r\n")),
              u"http://radio.example/a.m3u\r");
}

TEST(StreamPlaylistDispatch, BodyWithoutLineFeedIsOneLine) {
    EXPECT_EQ(StreamPlaylist::firstLine(text("http://radio.example:8000/stream")),
              u"http://radio.example:8000/stream");
    EXPECT_TRUE(StreamPlaylist::firstLine(QStringLiteral("")).isNull());
    EXPECT_TRUE(StreamPlaylist::firstLine(QString()).isNull());
}

TEST(Pls, FirstFileLineWinsTitleLineIgnored) {
    const char *file = R"([playlist]
NumberOfEntries=2
Title1=Mirror at http://wrong.example/title
File1=http://ice1.radio.example:8000/live.aac
Title2=Backup
File2=http://ice2.radio.example:8000/live.aac
Version=2
)";
    EXPECT_EQ(StreamPlaylist::fromPLS(text(file)), u"http://ice1.radio.example:8000/live.aac");
}

TEST(Pls, CrlfLineEndingsDropTheCarriageReturn) {
    const char *file = "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://ice.radio.example/"
                       "stream\r\nLength1=-1\r\n";
    EXPECT_EQ(StreamPlaylist::fromPLS(text(file)), u"http://ice.radio.example/stream");
}

TEST(Pls, KeyInAnyCaseAndHttpsAddress) {
    EXPECT_EQ(
        StreamPlaylist::fromPLS(text("[playlist]\nfile1=https://secure.radio.example/live\n")),
        u"https://secure.radio.example/live");
    EXPECT_EQ(StreamPlaylist::fromPLS(text("[Playlist]\nFILE1 = http://a.example/x\n")),
              u"http://a.example/x");
}

TEST(Pls, OtherSchemeOrNoFileLineGivesNothing) {
    EXPECT_TRUE(
        StreamPlaylist::fromPLS(text("[playlist]\nFile1=mms://radio.example/live\n")).isNull());
    EXPECT_TRUE(
        StreamPlaylist::fromPLS(text("[playlist]\nTitle1=http://radio.example/live\n")).isNull());
    EXPECT_TRUE(StreamPlaylist::fromPLS(QString()).isNull());
}

TEST(M3u, CommentLinesWithoutAddressAreSkipped) {
    const char *file = R"(#EXTM3U
#EXTINF:-1,Radio Example - Jazz
http://stream.radio.example/jazz.mp3
)";
    EXPECT_EQ(StreamPlaylist::fromM3U(text(file)), u"http://stream.radio.example/jazz.mp3");
}

TEST(M3u, CommentHoldingAnAddressWinsWhenFirst) {
    const char *file = "#EXTINF:-1,see http://radio.example\nhttp://stream.radio.example/live\n";
    EXPECT_EQ(StreamPlaylist::fromM3U(text(file)), u"#EXTINF:-1,see http://radio.example");
}

TEST(M3u, WindowsFileHttpsAndNoLineFeed) {
    EXPECT_EQ(StreamPlaylist::fromM3U(text("#EXTM3U\r\nhttps://hls.radio.example/live.m3u8\r\n")),
              u"https://hls.radio.example/live.m3u8");
    EXPECT_EQ(StreamPlaylist::fromM3U(text("http://only.line.example/stream")),
              u"http://only.line.example/stream");
    EXPECT_TRUE(StreamPlaylist::fromM3U(text("#EXTM3U\nrtsp://radio.example/live\n")).isNull());
}

TEST(Asx, MarkerThenAddressThenRestOfElement) {
    const char *file = R"(<ASX version="3.0">
<Entry>
<Title>Radio Example</Title>
<Ref href = "http://wm.radio.example/live?MSWMExt=.asf" />
<Ref href = "http://wm2.radio.example/live" />
</Entry>
</ASX>
)";
    EXPECT_EQ(StreamPlaylist::fromASX(text(file)), u"http://wm.radio.example/live?MSWMExt=.asf");
}

TEST(Asx, AnyCaseAndSpacingAroundEquals) {
    EXPECT_EQ(StreamPlaylist::fromASX(
                  text("<asx><entry><ref href=\"http://a.example/s\"/></entry></asx>")),
              u"http://a.example/s");
    EXPECT_EQ(StreamPlaylist::fromASX(text("<ASX>\r\n<REF HREF=\"https://b.example/s\" />\r\n")),
              u"https://b.example/s");
    EXPECT_EQ(StreamPlaylist::fromASX(text("<Ref  href= \"http://c.example/s\">\n")),
              u"http://c.example/s");
}

TEST(Asx, EntryRefAndOtherSchemesAreNotStreams) {
    EXPECT_TRUE(
        StreamPlaylist::fromASX(text("<ENTRYREF HREF=\"http://a.example/more.asx\"/>\n")).isNull());
    EXPECT_TRUE(
        StreamPlaylist::fromASX(text("<Ref href = \"mms://a.example/live\" />\n")).isNull());
}

TEST(Asx, AddressWithoutClosingQuoteIsNotTaken) {
    EXPECT_TRUE(StreamPlaylist::fromASX(text("<Ref href = \"http://a.example/live\n")).isNull());
    EXPECT_EQ(StreamPlaylist::fromASX(text(
                  "<Ref href = \"http://a.example/cut\n<Ref href = \"http://b.example/ok\"/>\n")),
              u"http://b.example/ok");
}

// A body says what it is on its first line, whatever the address it came from.
TEST(StreamPlaylistContent, PlaylistFilesAreKnownByTheirFirstLine) {
    const struct {
        const char *body;
        Kind kind;
    } cases[] = {
        {"[playlist]\nNumberOfEntries=1\nFile1=http://a/b\n", Kind::Pls},
        {"\xEF\xBB\xBF\r\n\r\n[Playlist]\r\nFile1=http://a/b\r\n", Kind::Pls},
        {"  [PLAYLIST]  \n", Kind::Pls},
        {"File1=http://a/b\nTitle1=x\n", Kind::Pls},
        {"#EXTM3U\n#EXTINF:-1,Live\nhttp://a/b\n", Kind::M3u},
        {"#extm3u\r\nhttp://a/b\r\n", Kind::M3u},
        {"<ASX version=\"3.0\"><Entry><Ref href=\"http://a/b\"/></Entry></ASX>", Kind::Asx},
        {"<?xml version=\"1.0\"?>\n<asx version=\"3.0\">\n<entry><ref href=\"http://a/b\"/>",
         Kind::Asx},
        {"http://radio.example/live\n", Kind::Stream},
        {"http://radio.example/live.pls\n", Kind::Stream},
        {"<html><body>403</body></html>", Kind::Stream},
        {"#EXTINF:-1,Live\nhttp://a/b\n", Kind::M3u},
        {"# a comment\nhttp://a/b\n", Kind::Stream},
        {"", Kind::Stream},
    };
    for (const auto &test : cases)
        EXPECT_EQ(StreamPlaylist::kindOfContent(text(test.body)), test.kind) << test.body;
    EXPECT_EQ(StreamPlaylist::kindOfContent(QString()), Kind::Stream);
    EXPECT_EQ(StreamPlaylist::fromFile(Kind::Pls, text("[playlist]\nFile1=http://a/b\n")),
              u"http://a/b");
    EXPECT_TRUE(StreamPlaylist::fromFile(Kind::Stream, text("http://a/b\n")).isNull());
    // What callers play or save: a stream address, never a playlist's first line.
    EXPECT_FALSE(StreamPlaylist::isPlayable(QStringLiteral("[playlist]")));
    EXPECT_TRUE(StreamPlaylist::isPlayable(QStringLiteral("http://radio.example/live")));
}
