#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace kelvane::mpdc {

// A song as the server described it. Every text is the first value of its tag decoded
// from UTF-8; a null QString means the tag is absent (or its bytes were not UTF-8).
struct SongInfo {
    QString uri;
    QString artist, album, albumArtist, title, track, genre, date, composer, comment, disc;
    quint32 duration = 0;    // whole seconds, 0 when unknown
    int bits = 0;            // sample width from the audio format, 0 when unknown
    int position = -1;       // queue position, -1 outside the queue
    quint32 id = 0;          // queue id, 0 outside the queue
    qint64 lastModified = 0; // seconds since the epoch; 0 when the server gave none, as for
                             // a stored-playlist entry its database does not know
};

// The server's single mode; oneshot stops after the current song once, then turns off.
enum class SingleMode { Off = 0, On = 1, Oneshot = 2 };
enum class ReplayGainMode { Off, Track, Album, Auto };

// The longest queue a status may announce. mpd holds 16,384 entries unless told more
// (max_playlist_length); users who raise it to queue a whole library stay far below
// this, which is also the most records one answer may bring (ReadBudget): a longer
// queue could never be read whole. Past it, the status is taken as impossible, like a
// volume of 1000, so no view sizes anything by a number a server made up.
inline constexpr quint32 maxQueueLength = 2'000'000;

// One status answer, numbers exactly as the library gives them.
struct StatusInfo {
    quint32 elapsedMs = 0;
    quint32 totalTime = 0;
    int songPos = -1;
    int state = 0;   // 0 unknown, 1 stopped, 2 playing, 3 paused
    int volume = -1; // -1 when the server has no mixer
    quint32 queueLength = 0;
    quint32 queueVersion = 0;
    quint32 updateId = 0; // non-zero while a database update runs
    bool random = false, repeat = false, consume = false;
    SingleMode single = SingleMode::Off;
    quint32 crossfade = 0; // seconds
};

// What an idle answer reports as changed, as bits.
namespace Idle {
enum : unsigned {
    Database = 1,
    StoredPlaylist = 2,
    Queue = 4,
    Player = 8,
    Mixer = 16,
    Output = 32,
    Options = 64,
    Update = 128,
    All = 255,
};
}

// Where a picture comes from on the server: a cover file in the song's directory
// ("albumart") or the picture embedded in the song's tags ("readpicture").
enum class PictureKind { CoverFile, Embedded };

struct PictureResult {
    // Found: bytes hold the picture. None: the server has none. Refused: the server
    // does not offer the command (too old, or a permission). TooLarge: announced past
    // the cap (the connection is closed). Broken: the connection failed.
    enum Outcome { Found, None, Refused, TooLarge, Broken };
    Outcome outcome = Broken;
    QByteArray bytes;
};

// One audio output of the server.
struct OutputInfo {
    quint32 id = 0;
    QString name, plugin;
    bool enabled = false;
};

// One entry of a directory or database listing.
struct Entity {
    enum class Type { Directory, Song, Playlist, Unknown };
    Type type = Type::Unknown;
    QString path; // directory or playlist path; a song's uri is in song.uri
    SongInfo song;
};

// The poll's answer: a status, then the current song when there is one.
struct PollResult {
    bool statusOk = false;
    StatusInfo status;
    bool songOk = false; // false when the current-song half of the exchange failed
    std::vector<SongInfo> songs;
};

// The queue with the status it was read with (its version, its length).
struct QueueSnapshot {
    StatusInfo status;
    std::vector<SongInfo> songs;
};

// What changed in the queue since a version: the entries whose position or song is new,
// as (position, id), with the status of now (version and length).
struct QueueChanges {
    struct Entry {
        quint32 position = 0;
        quint32 id = 0;
    };
    StatusInfo status;
    std::vector<Entry> entries;
};

// Malformed: the server's answer broke the protocol (a line longer than the library can
// take, a greeting that is not MPD's).
enum class ErrorKind { Success, Server, Malformed, Other };

// The codes a server puts in its refusals ("ACK [50@0] {add} No such directory"), as the
// protocol numbers them.
namespace ServerError {
enum : int {
    NotList = 1,
    Arg = 2,
    Password = 3,
    Permission = 4,
    UnknownCommand = 5,
    NoExist = 50,
    PlaylistMax = 51,
    System = 52,
    PlaylistLoad = 53,
    UpdateAlready = 54,
    PlayerSync = 55,
    Exist = 56,
};
}

// Why a connection failed or a command was refused, by number wherever there is one:
// the C library translates its texts into the user's language ("Connexion refusée"),
// so whoever explains a failure matches these, never the text. The text stays for the
// logs, the console's lines and the detail of a server's refusal.
struct Failure {
    enum class Cause {
        Local,     // found by this layer (an oversized answer, an argument that cannot travel)
        Closed,    // the server closed the connection
        Timeout,   // no answer within the time-out
        System,    // a system call failed: systemError
        Resolver,  // the host name did not resolve
        Server,    // the server refused a command: serverError
        Malformed, // the server's answer broke the protocol
        Library,   // anything else the library reports (out of memory, a misuse)
    };
    Cause cause = Cause::Local;
    int systemError = 0;  // errno, for Cause::System
    int serverError = -1; // a ServerError code, for Cause::Server; -1 when it sent none
    QString message;

    static Failure local(const QString &text) { return {Cause::Local, 0, -1, text}; }
};

} // namespace kelvane::mpdc
