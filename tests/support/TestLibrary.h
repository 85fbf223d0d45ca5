#pragma once

#include <QByteArray>
#include <QString>

#include "support/FlacWriter.h"
#include "support/Tags.h"

namespace kelvane::test {

// Writes a music library of real, playable FLAC files (digital silence, 44.1 kHz
// stereo) into a directory, in well under a millisecond per file, with no encoder.
// Used on the test's own thread; not thread-safe.
//
// The standard library (writeStandard(): 23 songs, 15 albums by the catalogue's rule of
// (Album, AlbumArtist or else Artist), counting the song without Album and the one
// without any artist as albums of their own).
// Tags: Ar Artist, AA AlbumArtist, Al Album, Ti Title, Tr Track, Di Disc, Da Date,
// Ge Genre, Co Composer, Cm Comment; "-" = tag absent. 16 bits and 3 s unless noted.
//
// | path                                                        | Ar                 | Al | Ti | Tr
// | Da         | Ge         | other                             |
// |-------------------------------------------------------------|--------------------|-----------------|---------------------------|-----|------------|------------|-----------------------------------|
// | Root Song.flac                                              | Solo Artist        | Singles |
// Root Song                 | 1   | 2001       | Pop        |                                   |
// | Untitled.flac                                               | Solo Artist        | Singles | -
// | 2   | 2001       | Pop        |                                   | | No Album.flac | Solo
// Artist        | -               | No Album                  | -   | -          | -          | |
// | No Artist.flac                                              | -                  | Nobody's
// Album  | No Artist                 | -   | -          | -          | | | The Beatles/Abbey
// Road/01 Come Together.flac                | The Beatles        | Abbey Road      | Come Together
// | 1   | 1969-09-26 | Rock       | Co John Lennon; 259 s             | | The Beatles/Abbey Road/02
// Something.flac                    | The Beatles        | Abbey Road      | Something | 2   |
// 1969-09-26 | Rock       | Co George Harrison; 182 s         | | The Beatles/Let It Be/01 Two of
// Us.flac                     | The Beatles        | Let It Be       | Two of Us                 |
// 1   | 1970       | Rock       |                                   | | Pink Floyd/The Wall/CD 1/01
// In the Flesh.flac               | Pink Floyd         | The Wall        | In the Flesh? | 1   |
// 1979-11-30 | Rock       | Di 1/2                            | | Pink Floyd/The Wall/CD 1/02 The
// Thin Ice.flac               | Pink Floyd         | The Wall        | The Thin Ice              |
// 2   | 1979-11-30 | Rock       | Di 1/2                            | | Pink Floyd/The Wall/CD 2/01
// Hey You.flac                    | Pink Floyd         | The Wall        | Hey You | 1   |
// 1979-11-30 | Rock       | Di 2/2                            | | Shared/Two Albums/01 Morning.flac
// | Band One           | First Light     | Morning                   | 07  | 1999-05-01 | Jazz | |
// | Shared/Two Albums/02 Noon.flac                              | Band One           | First Light
// | Noon                      | 08  | 1999-05-01 | Jazz       |                                   |
// | Shared/Two Albums/03 Side A.flac                            | Band Two           | Vinyl Days
// | Side A                    | A1  | c. 1970    | Folk       |                                   |
// | Shared/Two Albums/04 Side B.flac                            | Band Two           | Vinyl Days
// | Side B                    | B1  | c. 1970    | Folk       |                                   |
// | Compilations/Summer Hits/01 Sun.flac                        | Singer A, Guest C  | Summer Hits
// | Sun                       | 3/12| 2003-10    | Pop        | AA Various Artists                |
// | Compilations/Summer Hits/02 Sea.flac                        | Singer B           | Summer Hits
// | Sea                       | 4/12| 2003-10    | Pop        | AA Various Artists; Cm Radio edit |
// | Simon & Garfunkel/Bookends/01 Save the Life of My Child.flac| Simon & Garfunkel  | Bookends |
// Save the Life of My Child | 1   | 1968       | Folk       |                                   |
// | Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac          | Édith Piaf         | Best of #1?
// | Hymne à l'amour           | 1   | 1960       | Chanson    |                                   |
// | Studio Masters/High Resolution/01 Deep.flac                 | Studio Masters     | High
// Resolution | Deep                      | 1   | 2020       | Electronic | 24 bits | | Studio
// Masters/High Resolution/02 Wide.flac                 | Studio Masters     | High Resolution |
// Wide                      | 2   | 2020       | Electronic | 24 bits                           |
// | Studio Masters/DSD Session/01 Native.dsf                    | Studio Masters     | DSD Session
// | Native                    | 1   | 2021       | Electronic | DSF (DSD64), 1 s; no Format       |
// | ABBA/Gold/01 Dancing Queen.flac                             | ABBA               | Gold |
// Dancing Queen             | 1   | 1992       | Pop        |                                   |
// | Abba/Arrival/01 Tiger.flac                                  | Abba               | Arrival |
// Tiger                     | 1   | 1976       | Pop        |                                   |
//
// cover.jpg (64x64 JPEG, a colour of its own per album) in: the root, The Beatles/Abbey Road,
// Pink Floyd/The Wall/CD 1, Pink Floyd/The Wall/CD 2, Shared/Two Albums,
// Simon & Garfunkel/Bookends, Édith Piaf/Best of #1?, Studio Masters/High Resolution.
// No cover in: The Beatles/Let It Be, Compilations/Summer Hits, Studio Masters/DSD Session,
// ABBA/Gold, Abba/Arrival.
//
// What mpd 0.23 makes of them (listallinfo, checked by tests/harness):
// - Track "3/12" -> "3", "07" -> "7", "A1"/"B1" -> no Track at all; Disc "1/2" -> "1".
// - Date is passed through as written ("c. 1970", "2003-10", "1969-09-26").
// - Artist of 01 Sun.flac is sent twice, "Singer A" then "Guest C".
// - Format is "44100:16:2" or "44100:24:2"; the DSF song has no Format line, duration 0.998.
// - Comment is only sent because MpdServer enables it (metadata_to_use "+comment").
// - Durations are exact: Time 3, duration 3.000 (259 and 182 for the two Abbey Road songs).
class TestLibrary {
  public:
    explicit TestLibrary(const QString &musicDir); // the directory to write into (created)
    ~TestLibrary();
    TestLibrary(const TestLibrary &) = delete;
    TestLibrary &operator=(const TestLibrary &) = delete;

    // A FLAC file of silence with these tags; parent directories are made.
    // bits: 16 or 24. A 259 s song costs ~40 KB.
    void add(const QString &relativePath, const Tags &tags, int seconds = 3, int bits = 16);
    // The same with a picture embedded in its tags (a FLAC PICTURE block).
    void addWithPicture(const QString &relativePath, const Tags &tags, const QByteArray &picture,
                        const QByteArray &mime = "image/jpeg");
    // A DSF (DSD64) file of silence with these tags in ID3v2.4; ~700 KB per second.
    void addDsf(const QString &relativePath, const Tags &tags, int seconds = 1);
    // Any other file: a cover, a fake "track.DSF", a playlist.
    void addRaw(const QString &relativePath, const QByteArray &bytes);
    // albumDir/cover.jpg ("" for the root) made by coverJpeg().
    void addCover(const QString &albumDir, const QString &text = {}, int size = 64);
    // albumDir/cover.png, a size x size PNG of one colour derived from text.
    void addCoverPng(const QString &albumDir, const QString &text = {}, int size = 64);
    static QByteArray coverPng(const QString &text, int size = 64);
    QString musicDir() const;
    // Songs written by add() (and so by writeStandard() and writeBulk()).
    int songCount() const;

    void writeStandard();
    static int standardSongCount(); // 23

    // albums * songsPerAlbum songs of 1 s, "Artist NNN/Album NNNN/NN Title.flac", ten albums
    // per artist; tags Artist "Artist NNN", Album "Album NNNN", Title "Title NN", Track N,
    // Date 1960 + album % 60, Genre cycling over Rock, Jazz, Pop, Classical, Folk, Electronic.
    void writeBulk(int albums, int songsPerAlbum);

    // A size x size JPEG of one colour derived from text, with text drawn on it when a
    // GUI application exists.
    static QByteArray coverJpeg(const QString &text, int size = 64);

  private:
    bool write(const QString &relativePath, const QByteArray &bytes);

    QString m_musicDir;
    QString m_lastDir;
    FlacWriter m_writer;
    int m_songCount = 0;
};

} // namespace kelvane::test
