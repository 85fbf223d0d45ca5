// The standard small library: every odd case of tags and names the client must cope
// with, in a couple of dozen short files. The table in TestLibrary.h lists it; keep
// the two in step.
#include "support/TestLibrary.h"

namespace kelvane::test {

namespace {

struct Entry {
    const char *path;
    Tags tags;
    int seconds = 3;
    int bits = 16;
};

QString s(const char *utf8) {
    return QString::fromUtf8(utf8);
}

QList<Entry> standardEntries() {
    return {
        // The root directory: one album "Singles" and three incomplete songs.
        {"Root Song.flac",
         {.artist = s("Solo Artist"),
          .album = s("Singles"),
          .title = s("Root Song"),
          .track = s("1"),
          .date = s("2001"),
          .genre = s("Pop")}},
        {"Untitled.flac",
         {.artist = s("Solo Artist"),
          .album = s("Singles"),
          .track = s("2"),
          .date = s("2001"),
          .genre = s("Pop")}},
        {"No Album.flac", {.artist = s("Solo Artist"), .title = s("No Album")}},
        {"No Artist.flac", {.album = s("Nobody's Album"), .title = s("No Artist")}},

        // Two albums of one artist with different years; long songs for playback tests.
        {"The Beatles/Abbey Road/01 Come Together.flac",
         {.artist = s("The Beatles"),
          .album = s("Abbey Road"),
          .title = s("Come Together"),
          .track = s("1"),
          .date = s("1969-09-26"),
          .genre = s("Rock"),
          .composer = s("John Lennon")},
         259},
        {"The Beatles/Abbey Road/02 Something.flac",
         {.artist = s("The Beatles"),
          .album = s("Abbey Road"),
          .title = s("Something"),
          .track = s("2"),
          .date = s("1969-09-26"),
          .genre = s("Rock"),
          .composer = s("George Harrison")},
         182},
        {"The Beatles/Let It Be/01 Two of Us.flac",
         {.artist = s("The Beatles"),
          .album = s("Let It Be"),
          .title = s("Two of Us"),
          .track = s("1"),
          .date = s("1970"),
          .genre = s("Rock")}},

        // One album over two disc directories.
        {"Pink Floyd/The Wall/CD 1/01 In the Flesh.flac",
         {.artist = s("Pink Floyd"),
          .album = s("The Wall"),
          .title = s("In the Flesh?"),
          .track = s("1"),
          .disc = s("1/2"),
          .date = s("1979-11-30"),
          .genre = s("Rock")}},
        {"Pink Floyd/The Wall/CD 1/02 The Thin Ice.flac",
         {.artist = s("Pink Floyd"),
          .album = s("The Wall"),
          .title = s("The Thin Ice"),
          .track = s("2"),
          .disc = s("1/2"),
          .date = s("1979-11-30"),
          .genre = s("Rock")}},
        {"Pink Floyd/The Wall/CD 2/01 Hey You.flac",
         {.artist = s("Pink Floyd"),
          .album = s("The Wall"),
          .title = s("Hey You"),
          .track = s("1"),
          .disc = s("2/2"),
          .date = s("1979-11-30"),
          .genre = s("Rock")}},

        // One directory holding two albums; odd track numbers and dates.
        {"Shared/Two Albums/01 Morning.flac",
         {.artist = s("Band One"),
          .album = s("First Light"),
          .title = s("Morning"),
          .track = s("07"),
          .date = s("1999-05-01"),
          .genre = s("Jazz")}},
        {"Shared/Two Albums/02 Noon.flac",
         {.artist = s("Band One"),
          .album = s("First Light"),
          .title = s("Noon"),
          .track = s("08"),
          .date = s("1999-05-01"),
          .genre = s("Jazz")}},
        {"Shared/Two Albums/03 Side A.flac",
         {.artist = s("Band Two"),
          .album = s("Vinyl Days"),
          .title = s("Side A"),
          .track = s("A1"),
          .date = s("c. 1970"),
          .genre = s("Folk")}},
        {"Shared/Two Albums/04 Side B.flac",
         {.artist = s("Band Two"),
          .album = s("Vinyl Days"),
          .title = s("Side B"),
          .track = s("B1"),
          .date = s("c. 1970"),
          .genre = s("Folk")}},

        // A compilation: AlbumArtist differs from Artist; a second Artist value; a comment.
        {"Compilations/Summer Hits/01 Sun.flac",
         {.artist = s("Singer A"),
          .albumArtist = s("Various Artists"),
          .album = s("Summer Hits"),
          .title = s("Sun"),
          .track = s("3/12"),
          .date = s("2003-10"),
          .genre = s("Pop"),
          .extraArtists = {s("Guest C")}}},
        {"Compilations/Summer Hits/02 Sea.flac",
         {.artist = s("Singer B"),
          .albumArtist = s("Various Artists"),
          .album = s("Summer Hits"),
          .title = s("Sea"),
          .track = s("4/12"),
          .date = s("2003-10"),
          .genre = s("Pop"),
          .comment = s("Radio edit")}},

        // Names that need percent-encoding.
        {"Simon & Garfunkel/Bookends/01 Save the Life of My Child.flac",
         {.artist = s("Simon & Garfunkel"),
          .album = s("Bookends"),
          .title = s("Save the Life of My Child"),
          .track = s("1"),
          .date = s("1968"),
          .genre = s("Folk")}},
        {"Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac",
         {.artist = s("Édith Piaf"),
          .album = s("Best of #1?"),
          .title = s("Hymne à l'amour"),
          .track = s("1"),
          .date = s("1960"),
          .genre = s("Chanson")}},

        // 24-bit files.
        {"Studio Masters/High Resolution/01 Deep.flac",
         {.artist = s("Studio Masters"),
          .album = s("High Resolution"),
          .title = s("Deep"),
          .track = s("1"),
          .date = s("2020"),
          .genre = s("Electronic")},
         3,
         24},
        {"Studio Masters/High Resolution/02 Wide.flac",
         {.artist = s("Studio Masters"),
          .album = s("High Resolution"),
          .title = s("Wide"),
          .track = s("2"),
          .date = s("2020"),
          .genre = s("Electronic")},
         3,
         24},

        // A DSD file, whose sample width mpd does not report as bits.
        {"Studio Masters/DSD Session/01 Native.dsf",
         {.artist = s("Studio Masters"),
          .album = s("DSD Session"),
          .title = s("Native"),
          .track = s("1"),
          .date = s("2021"),
          .genre = s("Electronic")},
         1},

        // Artists equal but for case.
        {"ABBA/Gold/01 Dancing Queen.flac",
         {.artist = s("ABBA"),
          .album = s("Gold"),
          .title = s("Dancing Queen"),
          .track = s("1"),
          .date = s("1992"),
          .genre = s("Pop")}},
        {"Abba/Arrival/01 Tiger.flac",
         {.artist = s("Abba"),
          .album = s("Arrival"),
          .title = s("Tiger"),
          .track = s("1"),
          .date = s("1976"),
          .genre = s("Pop")}},
    };
}

} // namespace

void TestLibrary::writeStandard() {
    for (const Entry &entry : standardEntries()) {
        if (QByteArray(entry.path).endsWith(".dsf"))
            addDsf(QString::fromUtf8(entry.path), entry.tags, entry.seconds);
        else
            add(QString::fromUtf8(entry.path), entry.tags, entry.seconds, entry.bits);
    }
    const char *const covered[][2] = {
        {"", "Singles"},
        {"The Beatles/Abbey Road", "Abbey Road"},
        {"Pink Floyd/The Wall/CD 1", "The Wall"},
        {"Pink Floyd/The Wall/CD 2", "The Wall"},
        {"Shared/Two Albums", "Two Albums"},
        {"Simon & Garfunkel/Bookends", "Bookends"},
        {"Édith Piaf/Best of #1?", "Best of #1?"},
        {"Studio Masters/High Resolution", "High Resolution"},
    };
    for (const auto &[dir, text] : covered)
        addCover(QString::fromUtf8(dir), QString::fromUtf8(text));
}

int TestLibrary::standardSongCount() {
    return int(standardEntries().size());
}

} // namespace kelvane::test
