// Stored playlists against a real server.
#include "LibraryFixture.h"
#include "support/ServerSuite.h"

#include "core/library/CurrentPlaylisyView.h"
#include "core/library/MPDPlayLists.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class Playlists : public ServerSuite {
  protected:
    void SetUp() override {
        QDir dir(server->playlistDir());
        for (const QString &file : dir.entryList(QDir::Files))
            dir.remove(file);
        connectCoreTo(*server);
    }
    void TearDown() override { disconnectCore(); }

    // A stored playlist written as the server keeps them; the mtime orders the listing.
    void writePlaylist(const QString &name, const QStringList &entries) {
        QFile file(QDir(server->playlistDir()).filePath(name + QStringLiteral(".m3u")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString &entry : entries)
            file.write(entry.toUtf8() + '\n');
    }

    QStringList paths(const QList<Song> &songs) {
        QStringList out;
        for (const Song &s : songs)
            out << s.fullPath();
        return out;
    }
};

} // namespace

TEST_F(Playlists, NamesInCaseInsensitiveOrderWithoutTheStreams) {
    writePlaylist(QStringLiteral("rock"), {});
    writePlaylist(QStringLiteral("Jazz"), {});
    writePlaylist(QStringLiteral("[Radio Streams]"), {QStringLiteral("http://127.0.0.1:9/a#A")});
    writePlaylist(QStringLiteral("[Radio Streams] old"), {});
    const auto names = MPDPlayLists::sMPDPlayLists().getPlaylists();
    ASSERT_TRUE(names.has_value());
    // Only the streams playlist itself is hidden; a list that merely starts like it is
    // the user's.
    EXPECT_EQ(*names, (QStringList{"[Radio Streams] old", "Jazz", "rock"}));

    disconnectCore();
    EXPECT_FALSE(MPDPlayLists::sMPDPlayLists().getPlaylists().has_value());
    EXPECT_FALSE(MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("rock")).has_value());
}

TEST_F(Playlists, AccentedInitialsSortAmongTheirLetters) {
    for (const char *name : {"Zoë Kravitz Trio", "Éléonore Fauré", "Ærøskøbing Brass", "Eagles"})
        writePlaylist(QString::fromUtf8(name), {});
    EXPECT_EQ(
        MPDPlayLists::sMPDPlayLists().getPlaylists().value(),
        (QStringList{QString::fromUtf8("Ærøskøbing Brass"), QStringLiteral("Eagles"),
                     QString::fromUtf8("Éléonore Fauré"), QString::fromUtf8("Zoë Kravitz Trio")}));
}

TEST_F(Playlists, ANameShowsThatPlaylistNotOneItPrefixes) {
    writePlaylist(QStringLiteral("Rock"),
                  {QStringLiteral("The Beatles/Let It Be/01 Two of Us.flac")});
    writePlaylist(QStringLiteral("Rock Classics"),
                  {QStringLiteral("ABBA/Gold/01 Dancing Queen.flac")});
    EXPECT_EQ(paths(MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Rock")).value()),
              (QStringList{"The Beatles/Let It Be/01 Two of Us.flac"}));
    EXPECT_EQ(
        paths(MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Rock Classics")).value()),
        (QStringList{"ABBA/Gold/01 Dancing Queen.flac"}));
}

TEST_F(Playlists, MissingAndEmptyPlaylistsAreEmptyListsWithoutAlert) {
    AlertRecorder alerts;
    writePlaylist(QStringLiteral("Empty"), {});
    const auto missing = MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Ro"));
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->isEmpty());
    const auto empty = MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Empty"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    spin(100);
    EXPECT_TRUE(alerts.alerts.isEmpty());
}

TEST_F(Playlists, ContentReadsEveryKnownEntryWithThePlaylistArtistRule) {
    writePlaylist(QStringLiteral("Mix"),
                  {
                      QStringLiteral("Compilations/Summer Hits/02 Sea.flac"),
                      QStringLiteral("Gone/Deleted Song.flac"),
                      QStringLiteral("The Beatles/Abbey Road/01 Come Together.flac"),
                      QStringLiteral("http://127.0.0.1:9/live.ogg"),
                      QStringLiteral("Compilations/Summer Hits/02 Sea.flac"),
                  });
    const QList<Song> songs =
        MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Mix")).value();
    // The deleted file contributes nothing; a repeated entry is read twice.
    EXPECT_EQ(paths(songs),
              (QStringList{"Compilations/Summer Hits/02 Sea.flac",
                           "The Beatles/Abbey Road/01 Come Together.flac",
                           "http://127.0.0.1:9/live.ogg", "Compilations/Summer Hits/02 Sea.flac"}));
    EXPECT_EQ(songs[0].artist(), QStringLiteral("Various Artists")); // AlbumArtist first
    EXPECT_EQ(songs[0].albumArtist(), QStringLiteral(""));           // not filled here
    EXPECT_EQ(songs[0].track(), 4);
    EXPECT_EQ(songs[0].date(), 2003);
    EXPECT_EQ(songs[1].artist(), QStringLiteral("The Beatles")); // Artist when no AlbumArtist
    EXPECT_EQ(songs[1].composer(), QStringLiteral("John Lennon"));
    EXPECT_EQ(songs[1].duration(), 259.0f);
    EXPECT_EQ(songs[2].title(), QStringLiteral(""));
}

TEST_F(Playlists, CreateRenameAndDelete) {
    AlertRecorder alerts;
    MPDPlayLists &lists = MPDPlayLists::sMPDPlayLists();
    lists.newPlaylist(QStringLiteral("Nouvelle liste"));
    EXPECT_TRUE(lists.getPlaylists().value().contains(QStringLiteral("Nouvelle liste")));
    EXPECT_TRUE(lists.getPlaylist(QStringLiteral("Nouvelle liste")).value().isEmpty());

    // "New" on an existing name must not wipe it.
    writePlaylist(QStringLiteral("Keep"), {QStringLiteral("Root Song.flac")});
    lists.newPlaylist(QStringLiteral("Keep"));
    EXPECT_EQ(lists.getPlaylist(QStringLiteral("Keep")).value().size(), 1);

    lists.renamePlaylist(QStringLiteral("Keep"), QStringLiteral("Kept"));
    EXPECT_EQ(lists.getPlaylists().value(), (QStringList{"Kept", "Nouvelle liste"}));
    EXPECT_EQ(lists.getPlaylist(QStringLiteral("Kept")).value().size(), 1);

    lists.deletePlaylist(QStringLiteral("Nouvelle liste"));
    EXPECT_EQ(lists.getPlaylists().value(), (QStringList{"Kept"}));
    spin(50);
    EXPECT_TRUE(alerts.alerts.isEmpty());

    // A refused rename is one alert; the connection goes on.
    lists.renamePlaylist(QStringLiteral("Nothing"), QStringLiteral("Else"));
    ASSERT_TRUE(waitUntil([&] { return alerts.alerts.size() == 1; }, 2000));
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_EQ(lists.getPlaylists().value(), (QStringList{"Kept"}));
}

TEST(CurrentPlaylist, HoldsTheLastChosenName) {
    EXPECT_TRUE(CurrentPlaylisyView::currentPlaylist().isNull());
    CurrentPlaylisyView::setCurrentPlaylist(QStringLiteral("Rock"));
    CurrentPlaylisyView::setCurrentPlaylist(QStringLiteral("Jazz"));
    EXPECT_EQ(CurrentPlaylisyView::currentPlaylist(), QStringLiteral("Jazz"));
}

TEST(PlaylistsOnAnEmptyDatabase, NewPlaylistIsCreatedAllTheSame) {
    MpdServer server; // nothing in its music directory
    AlertRecorder alerts;
    connectCoreTo(server);
    MPDPlayLists::sMPDPlayLists().newPlaylist(QStringLiteral("Vide"));
    EXPECT_EQ(MPDPlayLists::sMPDPlayLists().getPlaylists().value(), QStringList{"Vide"});
    EXPECT_TRUE(
        MPDPlayLists::sMPDPlayLists().getPlaylist(QStringLiteral("Vide")).value().isEmpty());
    spin(50);
    EXPECT_TRUE(alerts.alerts.isEmpty());
    disconnectCore();
}
