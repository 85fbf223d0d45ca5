#include "ui/NowPlayingText.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::NowPlayingText;

namespace {
MPDStatus status(qint32 state, const QString &title = QString(), const QString &path = QString()) {
    MPDStatus s;
    s.state = state;
    s.title = title;
    s.path = path;
    return s;
}
} // namespace

TEST(NowPlayingText, TimesArePaddedMinutesAndZeroPaddedSeconds) {
    EXPECT_EQ(elapsedText(61000), QStringLiteral(" 1:01"));
    EXPECT_EQ(elapsedText(999), QStringLiteral(" 0:00"));
    EXPECT_EQ(totalText(3725), QStringLiteral("62:05"));
    EXPECT_EQ(totalText(59), QStringLiteral(" 0:59"));
    EXPECT_EQ(totalText(6000 * 60 + 7), QStringLiteral("6000:07"));
}

TEST(NowPlayingText, ArtistAndAlbumCombinations) {
    MPDStatus s;
    EXPECT_EQ(artistAndAlbum(s), QStringLiteral(""));
    s.album = QStringLiteral("Abbey Road");
    EXPECT_EQ(artistAndAlbum(s), QStringLiteral("Abbey Road"));
    s.artist = QStringLiteral("The Beatles");
    EXPECT_EQ(artistAndAlbum(s), QStringLiteral("The Beatles - Abbey Road"));
    s.album = QString();
    EXPECT_EQ(artistAndAlbum(s), QStringLiteral("The Beatles"));
    // An empty tag is a present tag.
    s.album = QStringLiteral("");
    EXPECT_EQ(artistAndAlbum(s), QStringLiteral("The Beatles - "));
}

TEST(NowPlayingText, TitleFollowsTheState) {
    EXPECT_EQ(songTitle(status(0, QStringLiteral("Sun")), std::nullopt), QStringLiteral(" "));
    EXPECT_EQ(songTitle(status(1, QStringLiteral("Sun")), std::nullopt), QStringLiteral("Stop"));
    EXPECT_EQ(songTitle(status(2, QStringLiteral("Sun")), std::nullopt), QStringLiteral("Sun"));
    EXPECT_EQ(songTitle(status(3), std::nullopt), QStringLiteral("Non renseigné"));
    EXPECT_EQ(songTitle(status(2), std::nullopt), QStringLiteral("Non renseigné"));
}

TEST(NowPlayingText, SavedStreamNameWinsInEveryStateLastMatchFirst) {
    const QString url = QStringLiteral("http://127.0.0.1:9/live");
    const QList<Stream> streams{
        {url, QStringLiteral("Old name"), 0},
        {QStringLiteral("http://127.0.0.1:9/other"), QStringLiteral("Other"), 1},
        {url, QStringLiteral("Radio Locale"), 2}};
    EXPECT_EQ(songTitle(status(2, QStringLiteral("Announced"), url), streams),
              QStringLiteral("Radio Locale"));
    EXPECT_EQ(songTitle(status(1, QString(), url), streams), QStringLiteral("Radio Locale"));
    // Not saved: the announced title, as for a file.
    EXPECT_EQ(songTitle(status(2, QStringLiteral("Announced"), url + QStringLiteral("2")), streams),
              QStringLiteral("Announced"));
    // Not connected: no list, no name.
    EXPECT_EQ(songTitle(status(2, QStringLiteral("Announced"), url), std::nullopt),
              QStringLiteral("Announced"));
    EXPECT_TRUE(isStream(QStringLiteral("https://x")));
    EXPECT_FALSE(isStream(QStringLiteral("Artist/http.flac")));
}
