#pragma once

// What the console makes of the text it is given, before any server is involved: the
// command line's options, the split of an input line, and the argument of every command
// that takes more than free text. Pure functions of text, any thread; a nullopt means
// the argument is malformed and the command prints "invalid".
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace kelvane::consoleargs {

// "--name value" and "--name" (value null) options; "--console" and stray words are
// skipped. args[0] is the program.
QHash<QString, QString> options(const QStringList &args);

// One input line: nothing to run (blank), refused whole (it holds a NUL), or a command
// name with the rest of the line after the first space as its argument. One trailing
// "\r" is dropped first.
struct Line {
    enum class Kind { Blank, Invalid, Command };
    Kind kind = Kind::Blank;
    QString text; // the line without its "\r"
    QString name;
    QString argument; // null when the line has no space
};
Line split(const QString &rawLine);

// "0" or "1", blanks around allowed.
std::optional<bool> flag(const QString &text);
// Decimal digits only, at most 9 of them: no sign, no blank inside, no overflow.
std::optional<qint32> position(const QString &text);
// An unsigned 32-bit number as QString::toUInt reads it, blanks around allowed.
std::optional<quint32> unsignedNumber(const QString &text);

// single: 0, 1 or 2 for "oneshot".
std::optional<int> single(const QString &text);
// crossfade: seconds, at most an hour.
std::optional<quint32> crossfade(const QString &text);
// replaygain: "off", "track", "album" or "auto".
std::optional<QString> replayGain(const QString &text);
// output: "ID 0|1".
struct OutputSwitch {
    quint32 id;
    bool enabled;
};
std::optional<OutputSwitch> output(const QString &text);
// move: "FROM<TAB>TO".
std::optional<std::pair<qint32, qint32>> move(const QString &text);
// delete: queue positions separated by spaces (none is an empty list).
std::optional<QList<qint32>> positions(const QString &text);
// renameplaylist: "FROM<TAB>TO".
std::optional<std::pair<QString, QString>> rename(const QString &text);
// volume: 0 to 100.
std::optional<quint32> volume(const QString &text);
// seek: a finite number of seconds, not negative.
std::optional<float> seconds(const QString &text);
// playalbum: "ARTIST<TAB>ALBUM[<TAB>POSITION]"; without a position, noPosition.
struct AlbumChoice {
    QString artist;
    QString album;
    std::optional<quint32> position;
};
std::optional<AlbumChoice> albumChoice(const QString &text);
// playplaylist: "NAME<TAB>POSITION".
std::optional<std::pair<QString, quint32>> playlistPosition(const QString &text);
// radio-open: "URL[<TAB>NAME]"; the name is "" when absent.
std::pair<QString, QString> radioPage(const QString &text);

} // namespace kelvane::consoleargs
