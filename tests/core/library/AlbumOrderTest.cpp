// The album grid's order and the album identity, without a server.
#include "core/library/AlbumIndex.h"
#include "core/library/MPDAlbum.h"
#include "mpdc/Records.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {

Album album(const QString &artist, qint32 date, const QString &path,
            const QString &name = QStringLiteral("X")) {
    Album a;
    a.artist = artist;
    a.date = date;
    a.path = path;
    a.albumName = name;
    return a;
}

QStringList paths(const QList<Album> &albums) {
    QStringList out;
    for (const Album &a : albums)
        out << a.path;
    return out;
}

mpdc::SongInfo song(const QString &album, const QString &artist, const QString &albumArtist = {}) {
    mpdc::SongInfo s;
    s.album = album;
    s.artist = artist;
    s.albumArtist = albumArtist;
    s.date = QStringLiteral("1999-05-01");
    s.genre = QStringLiteral("Jazz");
    return s;
}

} // namespace

TEST(AlbumOrder, FormatNameDropsOnlyALeadingCapitalThe) {
    EXPECT_EQ(MPDAlbum::formatName(QStringLiteral("The Beatles")), QStringLiteral("Beatles"));
    EXPECT_EQ(MPDAlbum::formatName(QStringLiteral("the Who")), QStringLiteral("the Who"));
    EXPECT_EQ(MPDAlbum::formatName(QStringLiteral("Them")), QStringLiteral("Them"));
    EXPECT_EQ(MPDAlbum::formatName(QStringLiteral("The")), QStringLiteral("The"));
    EXPECT_EQ(MPDAlbum::formatName(QStringLiteral("The ")), QStringLiteral(""));
    EXPECT_TRUE(MPDAlbum::formatName(QString()).isNull());
}

TEST(AlbumOrder, ArtistWithoutTheThenDateThenPathIgnoringCase) {
    const QList<Album> sorted = MPDAlbum::sortAlbum({
        album(QStringLiteral("The Who"), 1969, QStringLiteral("who")),
        album(QStringLiteral("Them"), 1965, QStringLiteral("them")),
        album(QStringLiteral("The Beatles"), 1969, QStringLiteral("b/z")),
        album(QStringLiteral("Blur"), 1994, QStringLiteral("blur")),
        album(QStringLiteral("The Beatles"), 1969, QStringLiteral("B/a")),
        album(QStringLiteral("The Beatles"), 1975, QStringLiteral("b/late")),
        album(QStringLiteral("The Beatles"), 0, QStringLiteral("b/undated")),
        album(QStringLiteral("abba"), 1976, QStringLiteral("abba")),
    });
    EXPECT_EQ(paths(sorted),
              (QStringList{"abba", "b/undated", "B/a", "b/z", "b/late", "blur", "them", "who"}));
}

TEST(AlbumOrder, DatesCompareAsDecimalText) {
    // 1000 before 999, as text; a missing date (0) before every year.
    const QList<Album> sorted = MPDAlbum::sortAlbum({
        album(QStringLiteral("A"), 999, QStringLiteral("999")),
        album(QStringLiteral("A"), 1000, QStringLiteral("1000")),
        album(QStringLiteral("A"), 0, QStringLiteral("0")),
    });
    EXPECT_EQ(paths(sorted), (QStringList{"0", "1000", "999"}));
}

TEST(AlbumOrder, ArtistsEqualButForCaseStayTogetherEachInDateOrder) {
    // A consistent order even here: each spelling keeps its albums by date.
    const QList<Album> sorted = MPDAlbum::sortAlbum({
        album(QStringLiteral("Abba"), 1976, QStringLiteral("Abba/Arrival")),
        album(QStringLiteral("ABBA"), 1992, QStringLiteral("ABBA/Gold")),
        album(QStringLiteral("Abba"), 1974, QStringLiteral("Abba/Waterloo")),
        album(QStringLiteral("ABBA"), 1980, QStringLiteral("ABBA/Super Trouper")),
        album(QStringLiteral("Aardvark"), 2000, QStringLiteral("Aardvark")),
        album(QStringLiteral("Abbc"), 1900, QStringLiteral("Abbc")),
    });
    EXPECT_EQ(paths(sorted), (QStringList{"Aardvark", "ABBA/Super Trouper", "ABBA/Gold",
                                          "Abba/Waterloo", "Abba/Arrival", "Abbc"}));
}

TEST(AlbumOrder, AlbumsWithoutArtistComeFirstAndTheOrderIsConsistent) {
    QList<Album> albums;
    for (int i = 0; i < 200; ++i) {
        // Many spellings, missing artists and dates: sorting must neither crash nor
        // depend on the input order.
        const QString artist =
            i % 7 == 0 ? QString()
                       : (i % 2 ? QStringLiteral("The Band") : QStringLiteral("the band"));
        albums << album(artist, (i * 37) % 5 == 0 ? 0 : 1900 + (i * 13) % 150,
                        QStringLiteral("p%1").arg(i));
    }
    const QList<Album> once = MPDAlbum::sortAlbum(albums);
    std::reverse(albums.begin(), albums.end());
    const QList<Album> reversed = MPDAlbum::sortAlbum(albums);
    EXPECT_EQ(paths(once), paths(reversed));
    EXPECT_TRUE(once.first().artist.isNull());
    for (qsizetype i = 1; i < once.size(); ++i)
        EXPECT_FALSE(MPDAlbum::albumLess(once[i], once[i - 1])) << i;
}

TEST(AlbumOrder, SortListIgnoresCase) {
    EXPECT_EQ(MPDAlbum::sortList({"rock", "Jazz", "ambient", "Blues"}),
              (QStringList{"ambient", "Blues", "Jazz", "rock"}));
}

TEST(AlbumOrder, AccentedInitialsSortAmongTheirLetters) {
    const QString zoe = QString::fromUtf8("Zoë Kravitz Trio");
    const QString eleonore = QString::fromUtf8("Éléonore Fauré");
    const QString aero = QString::fromUtf8("Ærøskøbing Brass");
    const QList<Album> sorted = MPDAlbum::sortAlbum({
        album(zoe, 2001, QStringLiteral("zoe")),
        album(eleonore, 1999, QStringLiteral("eleonore")),
        album(aero, 2010, QStringLiteral("aero")),
        album(QStringLiteral("Eagles"), 1976, QStringLiteral("eagles")),
        album(QStringLiteral("Adele"), 2011, QStringLiteral("adele")),
        album(QStringLiteral("The Fall"), 1980, QStringLiteral("fall")),
        // Equal to "Éléonore Fauré" under the key: before it, as case-insensitive text.
        album(QStringLiteral("Eleonore Faure"), 2005, QStringLiteral("plain")),
        album(eleonore, 1990, QStringLiteral("eleonore early")),
    });
    EXPECT_EQ(paths(sorted), (QStringList{"adele", "aero", "eagles", "plain", "eleonore early",
                                          "eleonore", "fall", "zoe"}));
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_FALSE(MPDAlbum::albumLess(sorted[i], sorted[i - 1])) << i;

    // Playlist names: the same key; names equal under it keep their case-insensitive
    // order, and names equal but for case the order they came in.
    EXPECT_EQ(MPDAlbum::sortList({zoe, eleonore, QStringLiteral("rock"), aero,
                                  QString::fromUtf8("éléonore fauré"), QStringLiteral("Rock")}),
              (QStringList{aero, eleonore, QString::fromUtf8("éléonore fauré"),
                           QStringLiteral("rock"), QStringLiteral("Rock"), zoe}));
}

TEST(AlbumIdentity, AlbumNameAndAlbumArtistMakeAnAlbum) {
    AlbumIndex index;
    index.add(QStringLiteral("A/CD 1"), song(QStringLiteral("Wall"), QStringLiteral("Floyd")));
    index.add(QStringLiteral("A/CD 2"), song(QStringLiteral("Wall"), QStringLiteral("Floyd")));
    // AlbumArtist wins over Artist: one album by "Various", another by "Solo".
    index.add(QStringLiteral("C"),
              song(QStringLiteral("Hits"), QStringLiteral("Singer A"), QStringLiteral("Various")));
    index.add(QStringLiteral("C"),
              song(QStringLiteral("Hits"), QStringLiteral("Singer B"), QStringLiteral("Various")));
    index.add(QStringLiteral("D"), song(QStringLiteral("Hits"), QStringLiteral("Various")));
    // Case counts.
    index.add(QStringLiteral("E"), song(QStringLiteral("wall"), QStringLiteral("Floyd")));
    // The pair, not the joined text, is the identity.
    index.add(QStringLiteral("F"), song(QStringLiteral("AB"), QStringLiteral("C")));
    index.add(QStringLiteral("G"), song(QStringLiteral("A"), QStringLiteral("BC")));

    const QList<Album> &albums = index.albums();
    ASSERT_EQ(albums.size(), 5);
    EXPECT_EQ(albums[0].path, QStringLiteral("A/CD 1"));
    EXPECT_EQ(albums[0].date, 1999);
    EXPECT_EQ(albums[0].genre, QStringLiteral("Jazz"));
    EXPECT_EQ(albums[1].artist, QStringLiteral("Various"));
    EXPECT_EQ(albums[1].path, QStringLiteral("C"));
    EXPECT_EQ(albums[2].path, QStringLiteral("E"));
    EXPECT_EQ(albums[3].path, QStringLiteral("F"));
    EXPECT_EQ(albums[4].path, QStringLiteral("G"));
}

TEST(AlbumIdentity, MissingNameOrArtistAlwaysStartsAnAlbum) {
    AlbumIndex index;
    index.add(QStringLiteral("X"), song(QString(), QStringLiteral("Solo")));
    index.add(QStringLiteral("X"), song(QString(), QStringLiteral("Solo")));
    index.add(QStringLiteral("X"), song(QStringLiteral("Album"), QString()));
    index.add(QStringLiteral("X"), song(QStringLiteral("Album"), QString()));
    // An empty tag is a tag: these two are one album.
    index.add(QStringLiteral("X"), song(QStringLiteral(""), QStringLiteral("Solo")));
    index.add(QStringLiteral("X"), song(QStringLiteral(""), QStringLiteral("Solo")));
    ASSERT_EQ(index.albums().size(), 5);
    EXPECT_TRUE(index.albums()[0].albumName.isNull());
    EXPECT_TRUE(index.albums()[2].artist.isNull());
    EXPECT_FALSE(index.albums()[4].albumName.isNull());
}

TEST(SongValues, ExtensionDiscBitsAndTheReadRule) {
    mpdc::SongInfo info;
    info.uri = QStringLiteral("Dir/Sub.dir/track.DSF");
    info.track = QStringLiteral("3/12");
    info.disc = QStringLiteral("2/3");
    info.date = QStringLiteral("c. 1970");
    info.bits = 24;
    info.duration = 245;
    info.artist = QStringLiteral("(null)");
    Song s = MPDAlbum::getSongValues(info);
    EXPECT_EQ(s.extension(), QStringLiteral("DSF"));
    EXPECT_EQ(s.bits(), 24); // upper case is not DSD
    EXPECT_EQ(s.track(), 3);
    EXPECT_EQ(s.diskNb(), 2);
    EXPECT_EQ(s.date(), 0);
    EXPECT_EQ(s.duration(), 245.0f);
    EXPECT_EQ(s.artist(), QStringLiteral(""));
    EXPECT_EQ(s.title(), QStringLiteral(""));
    EXPECT_FALSE(s.title().isNull());

    info.uri = QStringLiteral("a.b/track.dsf");
    EXPECT_EQ(MPDAlbum::getSongValues(info).bits(), 1);
    info.uri = QStringLiteral("x.dff");
    EXPECT_EQ(MPDAlbum::getSongValues(info).bits(), 1);
    info.uri = QStringLiteral("a.b/noextension");
    EXPECT_EQ(MPDAlbum::getSongValues(info).extension(), QStringLiteral(""));
    EXPECT_EQ(MPDAlbum::getSongValues(info).bits(), 24);
}

TEST(SongValues, DirectoryOfAUri) {
    EXPECT_EQ(MPDAlbum::directoryOf(QStringLiteral("A/B/c.flac")), QStringLiteral("A/B"));
    EXPECT_EQ(MPDAlbum::directoryOf(QStringLiteral("c.flac")), QStringLiteral(""));
    EXPECT_FALSE(MPDAlbum::directoryOf(QStringLiteral("c.flac")).isNull());
}
