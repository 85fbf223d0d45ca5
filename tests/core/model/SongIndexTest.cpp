// The song index the song search reads: what a text finds, in what order, and the songs
// it gives back.
#include "core/model/SongIndex.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {

QString s(const char *utf8) {
    return QString::fromUtf8(utf8);
}

Song song(const QString &uri, const QString &title, const QString &artist,
          const QString &album = {}, qint32 date = 0) {
    Song song;
    song.setFullPath(uri);
    song.setTitle(title);
    song.setArtist(artist);
    song.setAlbum(album);
    song.setDate(date);
    return song;
}

QStringList uris(const SongIndex::Found &found) {
    QStringList out;
    for (const Song &song : found.songs)
        out << song.fullPath();
    return out;
}

SongIndex standardIndex() {
    SongIndex index;
    index.add(song(s("Zaz/Recto/01.flac"), s("Été indien"), s("Zaz"), s("Recto verso"), 2013));
    index.add(song(s("Édith Piaf/Best of/01 Hymne.flac"), s("Hymne à l'amour"), s("Édith Piaf"),
                   s("Best of"), 1960));
    index.add(song(s("Sigur Rós/Ágætis byrjun/03.flac"), s("Starálfur"), s("Sigur Rós"),
                   s("Ágætis byrjun"), 1999));
    index.add(song(s("Root.flac"), s("ÉTÉ"), s("Solo"), QString(), 0));
    index.done();
    return index;
}

} // namespace

TEST(SongIndex, WordsFindSongsBlindToCaseAndAccentsInEveryField) {
    const SongIndex index = standardIndex();
    ASSERT_EQ(index.size(), 4);
    // "ete" finds "Été indien" and "ÉTÉ", in the order they were added.
    EXPECT_EQ(uris(index.find(s("ete"), 500)),
              (QStringList{s("Zaz/Recto/01.flac"), s("Root.flac")}));
    EXPECT_EQ(uris(index.find(s("  ÉTÉ   INDIEN "), 500)), QStringList{s("Zaz/Recto/01.flac")});
    // Words match in different fields (artist and title), each one somewhere...
    EXPECT_EQ(uris(index.find(s("piaf amour"), 500)),
              QStringList{s("Édith Piaf/Best of/01 Hymne.flac")});
    EXPECT_EQ(uris(index.find(s("agaetis ros"), 500)),
              QStringList{s("Sigur Rós/Ágætis byrjun/03.flac")});
    // ...but every one of them must.
    EXPECT_TRUE(index.find(s("piaf indien"), 500).songs.isEmpty());
    // A word does not run from one field into the next.
    EXPECT_TRUE(index.find(s("amouredith"), 500).songs.isEmpty());
    // The year counts; blank text finds nothing.
    EXPECT_EQ(uris(index.find(s("1999"), 500)), QStringList{s("Sigur Rós/Ágætis byrjun/03.flac")});
    EXPECT_TRUE(index.find(s("   "), 500).songs.isEmpty());
    EXPECT_TRUE(index.find(QString(), 500).songs.isEmpty());
    EXPECT_TRUE(SongIndex().find(s("a"), 500).songs.isEmpty());
}

TEST(SongIndex, AnswersAreCutAtTheLimitAndGiveWholeSongsBack) {
    SongIndex index;
    for (int i = 0; i < 7; ++i) {
        Song track = song(QStringLiteral("Dir %1/Sub/%2.flac").arg(i % 2).arg(i),
                          QStringLiteral("Title %1").arg(i), s("Björk"), s("Homogenic"), 1997);
        track.setTrack(i + 1);
        track.setDiskNb(2);
        track.setDuration(180 + i);
        track.setComposer(s("Björk Guðmundsdóttir"));
        track.setGenre(s("Électronique"));
        track.setAlbumArtist(s("Björk"));
        index.add(track);
    }
    index.done();
    const SongIndex::Found some = index.find(s("bjork"), 5);
    EXPECT_EQ(some.songs.size(), 5);
    EXPECT_TRUE(some.cut);
    const SongIndex::Found all = index.find(s("bjork"), 7);
    EXPECT_EQ(all.songs.size(), 7);
    EXPECT_FALSE(all.cut);
    const Song &third = all.songs[2];
    EXPECT_EQ(third.fullPath(), QStringLiteral("Dir 0/Sub/2.flac"));
    EXPECT_EQ(third.extension(), QStringLiteral("flac"));
    EXPECT_EQ(third.title(), QStringLiteral("Title 2"));
    EXPECT_EQ(third.artist(), s("Björk"));
    EXPECT_EQ(third.albumArtist(), s("Björk"));
    EXPECT_EQ(third.album(), s("Homogenic"));
    EXPECT_EQ(third.composer(), s("Björk Guðmundsdóttir"));
    EXPECT_EQ(third.genre(), s("Électronique"));
    EXPECT_EQ(third.track(), 3);
    EXPECT_EQ(third.diskNb(), 2);
    EXPECT_EQ(third.date(), 1997);
    EXPECT_EQ(third.duration(), 182.0f);
    EXPECT_EQ(index.find(s("gudmundsdottir electronique title 6"), 500).songs.size(), 1);
}

TEST(SongIndex, ManyWordsAllCount) {
    // More words than one group of bits holds: each must still be found.
    QStringList words;
    for (int i = 0; i < 70; ++i)
        words << QStringLiteral("w%1x").arg(i);
    SongIndex index;
    index.add(song(QStringLiteral("a.flac"), words.join(u' '), QStringLiteral("A")));
    index.add(song(QStringLiteral("b.flac"), words.mid(0, 69).join(u' '), QStringLiteral("B")));
    index.done();
    EXPECT_EQ(uris(index.find(words.join(u' '), 500)), QStringList{QStringLiteral("a.flac")});
    EXPECT_EQ(index.find(words.mid(0, 69).join(u' '), 500).songs.size(), 2);
}
