// The album catalogue against a real server.
#include "LibraryFixture.h"

#include "core/library/MPDAlbum.h"
#include "core/model/Song.h"
#include "core/model/SongIndex.h"
#include "mpdc/Connection.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// The catalogue as first written, step by step: "listall", one "lsinfo" per distinct
// directory in order of first appearance, a linear scan per song. The fast one must
// give exactly this.
QList<Album> referenceCatalogue(const MpdServer &server) {
    auto connection = mpdc::Connection::open(server.host(), server.port(), 3000);
    QStringList directories;
    const std::vector<mpdc::Entity> all = connection->listAll(QString()).value();
    for (const mpdc::Entity &e : all)
        if (e.type == mpdc::Entity::Type::Song &&
            !directories.contains(MPDAlbum::directoryOf(e.song.uri)))
            directories << MPDAlbum::directoryOf(e.song.uri);
    QList<Album> albums;
    for (const QString &directory : directories) {
        const std::vector<mpdc::Entity> listing = connection->listMeta(directory).value();
        for (const mpdc::Entity &e : listing) {
            if (e.type != mpdc::Entity::Type::Song) continue;
            const QString artist = e.song.albumArtist.isNull() ? e.song.artist : e.song.albumArtist;
            bool found = false;
            for (const Album &a : albums)
                found = found || (!a.albumName.isNull() && !a.artist.isNull() &&
                                  a.albumName == e.song.album && a.artist == artist &&
                                  !e.song.album.isNull() && !artist.isNull());
            if (!found)
                albums << Album{
                    artist, e.song.album, directory, e.song.genre, Song::integerValue(e.song.date),
                    {}};
        }
    }
    return MPDAlbum::sortAlbum(albums);
}

QStringList describe(const QList<Album> &albums) {
    QStringList out;
    for (const Album &a : albums)
        out << QStringLiteral("%1|%2|%3|%4|%5")
                   .arg(a.artist.isNull() ? QStringLiteral("<none>") : a.artist,
                        a.albumName.isNull() ? QStringLiteral("<none>") : a.albumName, a.path,
                        a.genre, QString::number(a.date));
    return out;
}

class Catalogue : public ::testing::Test {
  protected:
    void TearDown() override { disconnectCore(); }
};

} // namespace

TEST_F(Catalogue, StandardLibraryGivesTheReferenceAlbumsInGridOrder) {
    auto server = startStandardServer();
    connectCoreTo(*server);
    const auto albums = MPDAlbum::sMPDAlbum().getAlbumsList();
    ASSERT_TRUE(albums.has_value());
    EXPECT_EQ(describe(*albums), describe(referenceCatalogue(*server)));

    const QStringList d = describe(*albums);
    // The album without an artist first; ABBA and Abba apart; The Beatles among the B's,
    // oldest first; The Wall once, known by its first disc; two albums in one directory.
    EXPECT_EQ(d.first(), QStringLiteral("<none>|Nobody's Album|||0"));
    EXPECT_LT(d.indexOf(QStringLiteral("ABBA|Gold|ABBA/Gold|Pop|1992")),
              d.indexOf(QStringLiteral("Abba|Arrival|Abba/Arrival|Pop|1976")));
    const qsizetype abbey =
        d.indexOf(QStringLiteral("The Beatles|Abbey Road|The Beatles/Abbey Road|Rock|1969"));
    EXPECT_EQ(d.indexOf(QStringLiteral("The Beatles|Let It Be|The Beatles/Let It Be|Rock|1970")),
              abbey + 1);
    EXPECT_EQ(d.indexOf(QStringLiteral("Band Two|Vinyl Days|Shared/Two Albums|Folk|0")), abbey - 1);
    EXPECT_EQ(d.filter(QStringLiteral("|The Wall|")),
              (QStringList{"Pink Floyd|The Wall|Pink Floyd/The Wall/CD 1|Rock|1979"}));
    EXPECT_EQ(d.filter(QStringLiteral("|Shared/Two Albums|")).size(), 2);
    EXPECT_TRUE(d.contains(
        QStringLiteral("Various Artists|Summer Hits|Compilations/Summer Hits|Pop|2003")));
    // A song without an Album tag is an album of its own, in the root.
    EXPECT_TRUE(d.contains(QStringLiteral("Solo Artist|<none>|||0")));
    // "Édith Piaf" among the E, after "Beatles" and before "Pink Floyd".
    EXPECT_EQ(
        d.indexOf(QStringLiteral("Édith Piaf|Best of #1?|Édith Piaf/Best of #1?|Chanson|1960")),
        abbey + 2)
        << qPrintable(d.join(u'\n'));
}

TEST_F(Catalogue, SongIndexTakesEverySongReadWithTheTagsItShows) {
    auto server = startStandardServer();
    connectCoreTo(*server);
    SongIndex songs;
    ASSERT_TRUE(MPDAlbum::sMPDAlbum().getAlbumsList({}, &songs).has_value());
    EXPECT_EQ(QString::number(songs.size()),
              server->value(QStringLiteral("stats"), QStringLiteral("songs")));

    // Accents and case aside, as the album filter: the server's own search finds none of
    // these.
    const SongIndex::Found piaf = songs.find(QStringLiteral("edith hymne a l'amour"), 500);
    ASSERT_EQ(piaf.songs.size(), 1);
    const Song &hymne = piaf.songs.first();
    EXPECT_EQ(hymne.fullPath(),
              QString::fromUtf8("Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac"));
    EXPECT_EQ(hymne.title(), QString::fromUtf8("Hymne à l'amour"));
    EXPECT_EQ(hymne.artist(), QString::fromUtf8("Édith Piaf"));
    EXPECT_EQ(hymne.album(), QStringLiteral("Best of #1?"));
    EXPECT_EQ(hymne.track(), 1);
    EXPECT_EQ(hymne.date(), 1960);
    EXPECT_EQ(hymne.duration(), 3.0f);

    // The composer counts; the song comes back with its length, track and disc.
    const SongIndex::Found lennon = songs.find(QStringLiteral("LENNON"), 500);
    ASSERT_EQ(lennon.songs.size(), 1);
    EXPECT_EQ(lennon.songs.first().title(), QStringLiteral("Come Together"));
    EXPECT_EQ(lennon.songs.first().duration(), 259.0f);
    const SongIndex::Found wall = songs.find(QStringLiteral("hey you"), 500);
    ASSERT_EQ(wall.songs.size(), 1);
    EXPECT_EQ(wall.songs.first().diskNb(), 2);
    // Every song of an artist, the untitled one included.
    EXPECT_EQ(songs.find(QStringLiteral("solo artist"), 500).songs.size(), 3);
}

TEST_F(Catalogue, EmptyDatabaseIsAnEmptyListAndNoServerIsNone) {
    MpdServer server;
    connectCoreTo(server);
    const auto albums = MPDAlbum::sMPDAlbum().getAlbumsList();
    ASSERT_TRUE(albums.has_value());
    EXPECT_TRUE(albums->isEmpty());

    disconnectCore();
    EXPECT_FALSE(MPDAlbum::sMPDAlbum().getAlbumsList().has_value());
    EXPECT_FALSE(MPDAlbum::sMPDAlbum().getAlbumContent(Album{}).has_value());
}

TEST_F(Catalogue, GeneratedLibraryMatchesTheReference) {
    MpdServer server;
    server.library().writeBulk(30, 3);
    // Album names repeated across artists and directories, and a disc split.
    server.library().add(QStringLiteral("Mixed/A/1.flac"), {.artist = QStringLiteral("Artist 000"),
                                                            .album = QStringLiteral("Album 0000")});
    server.library().add(QStringLiteral("Mixed/B/1.flac"), {.artist = QStringLiteral("Other"),
                                                            .album = QStringLiteral("Album 0000")});
    server.library().add(QStringLiteral("Mixed/B/2.flac"), {.artist = QStringLiteral("other"),
                                                            .album = QStringLiteral("Album 0000")});
    server.update();
    connectCoreTo(server);
    const auto albums = MPDAlbum::sMPDAlbum().getAlbumsList();
    ASSERT_TRUE(albums.has_value());
    EXPECT_EQ(albums->size(), 32);
    EXPECT_EQ(describe(*albums), describe(referenceCatalogue(server)));
}

TEST_F(Catalogue, ContentIsEverySongDirectlyInTheDirectory) {
    auto server = startStandardServer();
    connectCoreTo(*server);
    Album shared;
    shared.path = QStringLiteral("Shared/Two Albums");
    const auto songs = MPDAlbum::sMPDAlbum().getAlbumContent(shared);
    ASSERT_TRUE(songs.has_value());
    ASSERT_EQ(songs->size(), 4); // both albums of the directory
    Song morning = (*songs)[0];
    EXPECT_EQ(morning.fullPath(), QStringLiteral("Shared/Two Albums/01 Morning.flac"));
    EXPECT_EQ(morning.extension(), QStringLiteral("flac"));
    EXPECT_EQ(morning.track(), 7);
    EXPECT_EQ(morning.date(), 1999);
    EXPECT_EQ(morning.duration(), 3.0f);
    EXPECT_EQ(morning.bits(), 16);
    Song sideA = (*songs)[2];
    EXPECT_EQ(sideA.album(), QStringLiteral("Vinyl Days"));
    EXPECT_EQ(sideA.track(), 0);
    EXPECT_EQ(sideA.date(), 0);

    Album wall;
    wall.path = QStringLiteral("Pink Floyd/The Wall/CD 1"); // not the second disc, not the parent
    const auto disc = MPDAlbum::sMPDAlbum().getAlbumContent(wall).value();
    ASSERT_EQ(disc.size(), 2);
    EXPECT_EQ(disc[0].diskNb(), 1);

    Album summer;
    summer.path = QStringLiteral("Compilations/Summer Hits");
    const auto hits = MPDAlbum::sMPDAlbum().getAlbumContent(summer).value();
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].artist(), QStringLiteral("Singer A")); // first of two Artist values
    EXPECT_EQ(hits[0].albumArtist(), QStringLiteral("Various Artists"));
    EXPECT_EQ(hits[0].track(), 3);
    EXPECT_EQ(hits[1].comment(), QStringLiteral("Radio edit"));

    Album masters;
    masters.path = QStringLiteral("Studio Masters/High Resolution");
    EXPECT_EQ(MPDAlbum::sMPDAlbum().getAlbumContent(masters).value().value(0).bits(), 24);
    masters.path = QStringLiteral("Studio Masters/DSD Session");
    EXPECT_EQ(MPDAlbum::sMPDAlbum().getAlbumContent(masters).value().value(0).bits(), 1);

    // The root lists its own songs only, with their incomplete tags read as "".
    const auto root = MPDAlbum::sMPDAlbum().getAlbumContent(Album{}).value();
    ASSERT_EQ(root.size(), 4);
    for (const Song &s : root)
        EXPECT_FALSE(s.title().isNull());
}

TEST_F(Catalogue, UpperCaseDsfIsNotDsdAndAMissingDirectoryIsOneAlertNotABrokenConnection) {
    MpdServer server;
    server.library().addDsf(QStringLiteral("Hi/track.DSF"),
                            {.artist = QStringLiteral("A"), .album = QStringLiteral("B")});
    server.library().add(QStringLiteral("Hi/other.flac"),
                         {.artist = QStringLiteral("A"), .album = QStringLiteral("B")}, 1, 24);
    server.update();
    AlertRecorder alerts;
    connectCoreTo(server);
    Album hi;
    hi.path = QStringLiteral("Hi");
    const auto songs = MPDAlbum::sMPDAlbum().getAlbumContent(hi).value();
    ASSERT_EQ(songs.size(), 2); // the server reads the upper-case suffix as a DSF file
    for (const Song &s : songs) {
        if (s.fullPath().endsWith(QLatin1String(".DSF"))) {
            EXPECT_EQ(s.extension(), QStringLiteral("DSF"));
            EXPECT_NE(s.bits(), 1);
        } else {
            EXPECT_EQ(s.bits(), 24);
        }
    }

    Album gone;
    gone.path = QStringLiteral("No/Such/Directory");
    EXPECT_FALSE(MPDAlbum::sMPDAlbum().getAlbumContent(gone).has_value());
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    EXPECT_EQ(alerts.alerts.size(), 1);
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    EXPECT_TRUE(MPDAlbum::sMPDAlbum().getAlbumsList().has_value());
}

TEST(CatalogueFaults, DirectoryGoneSinceListallCostsNoAlert) {
    // "listall" names two directories; by the time of "lsinfo" one has vanished (an
    // update is running): its refusal is no news for the user.
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "listall \"\"")
            return {"directory: gone\nfile: gone/1.flac\ndirectory: here\nfile: here/1.flac\nOK\n"};
        if (request.startsWith("command_list_ok_begin\nlsinfo"))
            return {"ACK [50@0] {lsinfo} No such directory\n"};
        if (request == "lsinfo \"gone\"") return {"ACK [50@0] {lsinfo} No such directory\n"};
        if (request == "lsinfo \"here\"")
            return {"file: here/1.flac\nArtist: A\nAlbum: Kept\nOK\n"};
        return ScriptedServer::standard(request);
    });
    AlertRecorder alerts;
    Setting::sSetting().setSessionServer(QStringLiteral("127.0.0.1"), server.port());
    MPDSocket::sMPDSocket().connect();
    const auto albums = MPDAlbum::sMPDAlbum().getAlbumsList();
    ASSERT_TRUE(albums.has_value());
    ASSERT_EQ(albums->size(), 1);
    EXPECT_EQ((*albums)[0].albumName, QStringLiteral("Kept"));
    spin(100);
    EXPECT_TRUE(alerts.alerts.isEmpty()) << qPrintable(alerts.alerts.value(0).error);
    disconnectCore();
}

TEST(CatalogueFaults, TagLongerThanTheLibraryCanReadSkipsItsDirectoryOnly) {
    MpdServer server;
    server.library().add(QStringLiteral("A/1.flac"),
                         {.artist = QStringLiteral("A"), .album = QStringLiteral("First")});
    server.library().add(QStringLiteral("B/1.flac"), {.artist = QStringLiteral("B"),
                                                      .album = QStringLiteral("Broken"),
                                                      .title = QString(9000, QLatin1Char('t'))});
    server.library().add(QStringLiteral("C/1.flac"),
                         {.artist = QStringLiteral("C"), .album = QStringLiteral("Last")});
    server.update();
    AlertRecorder alerts;
    connectCoreTo(server);
    const auto albums = MPDAlbum::sMPDAlbum().getAlbumsList();
    ASSERT_TRUE(albums.has_value());
    QStringList names;
    for (const Album &a : *albums)
        names << a.albumName;
    EXPECT_EQ(names, (QStringList{"First", "Last"}));
    ASSERT_TRUE(waitUntil([&] { return !alerts.alerts.isEmpty(); }, 2000));
    spin(200);
    ASSERT_EQ(alerts.alerts.size(), 1);
    EXPECT_EQ(alerts.alerts[0].error, QStringLiteral("Réponse du serveur illisible"));
    EXPECT_TRUE(MPDSocket::sMPDSocket().isConnected());
    disconnectCore();
}
