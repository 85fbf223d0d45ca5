// Texts and sizes the library views derive from songs, and the rules that pick the
// playing rows and the rows a deletion removes.
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/QueueDeletion.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::librarytext;

namespace {
Song song(const QString &title, const QString &artist, const QString &album,
          const QString &albumArtist = {}) {
    Song s;
    s.setTitle(title);
    s.setArtist(artist);
    s.setAlbum(album);
    s.setAlbumArtist(albumArtist);
    s.setFullPath(QStringLiteral("Dir/") + title + QStringLiteral(".flac"));
    return s;
}

MPDStatus playing(const QString &title, const QString &artist, const QString &album,
                  qint32 state = 2) {
    MPDStatus s;
    s.title = title;
    s.artist = artist;
    s.album = album;
    s.path = QStringLiteral("Dir/") + title + QStringLiteral(".flac");
    s.state = state;
    return s;
}
} // namespace

TEST(LibraryText, TimesAreMinutesSpacePaddedAndSecondsZeroPadded) {
    EXPECT_EQ(timeText(245), QStringLiteral(" 4:05"));
    EXPECT_EQ(timeText(3725), QStringLiteral("62:05"));
    EXPECT_EQ(timeText(65), QStringLiteral(" 1:05"));
    EXPECT_EQ(timeText(0), QStringLiteral(" 0:00"));
    EXPECT_EQ(timeText(59.9f), QStringLiteral(" 0:59"));
}

TEST(LibraryText, TotalTimeDropsZeroMinutesAndZeroHours) {
    EXPECT_EQ(totalTimeText(2 * 3600 + 5 * 60 + 30), QStringLiteral("2h 5mn"));
    EXPECT_EQ(totalTimeText(3600), QStringLiteral("1h"));
    EXPECT_EQ(totalTimeText(2700), QStringLiteral("45mn"));
    EXPECT_EQ(totalTimeText(59), QStringLiteral("0mn"));
}

TEST(LibraryText, TrackNumberCarriesTheDiscOnlyWhenThereIsOne) {
    EXPECT_EQ(trackText(0, 7), QStringLiteral("7"));
    EXPECT_EQ(trackText(2, 1), QStringLiteral("2 \u2219 1"));
    EXPECT_EQ(genreAndYearText(QString(), 1999), QStringLiteral(" \u2219 1999"));
    EXPECT_EQ(genreAndYearText(QStringLiteral("Jazz"), 0), QStringLiteral("Jazz \u2219 0"));
}

TEST(LibraryText, BadgeFollowsSampleWidthAndDsdExtension) {
    Song s;
    s.setBits(24);
    EXPECT_EQ(badgeName(s), QStringLiteral("hires"));
    s.setBits(16);
    EXPECT_TRUE(badgeName(s).isNull());
    s.setBits(1);
    s.setExtension(QStringLiteral("dsf"));
    EXPECT_EQ(badgeName(s), QStringLiteral("dsd"));
    s.setExtension(QStringLiteral("dff"));
    EXPECT_EQ(badgeName(s), QStringLiteral("dsd"));
    s.setExtension(QStringLiteral("DSF")); // not a DSD file by its name
    EXPECT_TRUE(badgeName(s).isNull());
}

TEST(LibraryText, PopoverGrowsWithTheSongsUpTo470) {
    EXPECT_EQ(popoverSize(3), QSize(580, 175));
    EXPECT_EQ(popoverSize(18), QSize(580, 460));
    EXPECT_EQ(popoverSize(19), QSize(580, 470));
    EXPECT_EQ(popoverSize(25), QSize(580, 470));
    EXPECT_EQ(popoverSize(0), QSize(580, 118));
}

TEST(LibraryText, AbsentNamesShowAsInconnu) {
    EXPECT_EQ(displayName(QString()), QStringLiteral("inconnu"));
    EXPECT_EQ(displayName(QStringLiteral("Gold")), QStringLiteral("Gold"));
}

TEST(PlayingMarks, QueueRowIsCurrentByTitleAndArtistNotPosition) {
    const Song row = song("Sea", "Singer B", "Summer Hits", "Various Artists");
    MPDStatus status = playing("Sea", "Singer B", "Summer Hits");
    // The row has an album artist, so the status's album artist is compared.
    EXPECT_FALSE(playingmarks::isQueueCurrent(row, status));
    status.albumArtist = QStringLiteral("Various Artists");
    EXPECT_TRUE(playingmarks::isQueueCurrent(row, status));
    const Song plain = song("Tiger", "Abba", "Arrival");
    EXPECT_TRUE(playingmarks::isQueueCurrent(plain, playing("Tiger", "Abba", "Other album")));
    // A current song without a title marks no row, even an untitled one.
    EXPECT_FALSE(
        playingmarks::isQueueCurrent(song("", "Abba", "Arrival"), playing("", "Abba", "Arrival")));
}

TEST(PlayingMarks, AlbumRowNeedsTheAlbumForTheIconButNotForTheTime) {
    const Song row = song("Morning", "Band One", "First Light");
    auto marks = playingmarks::albumRowMarks(row, playing("Morning", "Band One", "First Light"));
    EXPECT_TRUE(marks.track);
    EXPECT_TRUE(marks.time);
    marks = playingmarks::albumRowMarks(row, playing("Morning", "Band One", "Another"));
    EXPECT_FALSE(marks.track);
    EXPECT_TRUE(marks.time);
    // Paused still marks; stopped and "no state" do not.
    EXPECT_TRUE(
        playingmarks::albumRowMarks(row, playing("Morning", "Band One", "First Light", 3)).track);
    EXPECT_EQ(playingmarks::albumRowMarks(row, playing("Morning", "Band One", "First Light", 1)),
              playingmarks::AlbumRowMarks{});
    EXPECT_EQ(playingmarks::albumRowMarks(row, playing("Noon", "Band One", "First Light")),
              playingmarks::AlbumRowMarks{});
}

TEST(PlayingMarks, StreamRowsAreAddressesLongerThanFourCharacters) {
    EXPECT_TRUE(playingmarks::isStreamPath(QStringLiteral("http://radio.example/live")));
    EXPECT_TRUE(playingmarks::isStreamPath(QStringLiteral("https://radio.example/live")));
    EXPECT_FALSE(playingmarks::isStreamPath(QStringLiteral("http")));
    EXPECT_FALSE(playingmarks::isStreamPath(QStringLiteral("Music/http.flac")));
}

TEST(QueueDeletion, OneEntryQueueStopsFirst) {
    const auto plan = QueueDeletion::plan({0}, 0, 1);
    EXPECT_TRUE(plan.stopFirst);
    EXPECT_EQ(plan.positions, QList<qint32>{0});
}

TEST(QueueDeletion, WholeSelectionOfThreeStopsAndDeletesAll) {
    const auto plan = QueueDeletion::plan({2, 0, 1}, 1, 3);
    EXPECT_TRUE(plan.stopFirst);
    EXPECT_EQ(plan.positions, (QList<qint32>{0, 1, 2}));
}

TEST(QueueDeletion, ContextRowWinsOverASingleSelectedRow) {
    auto plan = QueueDeletion::plan({1}, 4, 6);
    EXPECT_FALSE(plan.stopFirst);
    EXPECT_EQ(plan.positions, QList<qint32>{4});
    plan = QueueDeletion::plan({1, 3}, 4, 6);
    EXPECT_FALSE(plan.stopFirst);
    EXPECT_EQ(plan.positions, (QList<qint32>{1, 3}));
}

TEST(QueueDeletion, NoRowUnderThePointerDeletesNothing) {
    EXPECT_TRUE(QueueDeletion::plan({}, -1, 3).positions.isEmpty());
    EXPECT_FALSE(QueueDeletion::plan({}, -1, 1).stopFirst);
    EXPECT_TRUE(QueueDeletion::plan({}, 0, 0).positions.isEmpty());
}
