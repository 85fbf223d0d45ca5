#pragma once

#include <QByteArray>
#include <QStringView>
#include <initializer_list>

namespace kelvane::mpdc {

// What may travel as a text argument of a command. libmpdclient quotes `"` and `\` but
// sends a line feed as it is, so a name holding one would end the command there and run
// the rest as commands of its own: control characters are refused before anything is
// sent. The server also drops the connection on a line longer than its buffer (8 KiB on
// mpd 0.23, less on older servers), so a line is kept under 4 KiB.
enum class ArgumentProblem { None, ControlCharacter, TooLong };

constexpr qsizetype maxCommandLineBytes = 4096;

bool hasControlCharacter(QStringView text);
// The bytes one quoted argument takes on the line: quotes, escapes and the separator.
qsizetype quotedSize(const QByteArray &utf8);
// The problem of a command line carrying these arguments, if any.
ArgumentProblem checkArguments(std::initializer_list<QStringView> texts);

// Messages of the errors raised by this layer rather than by the library; the error
// reporter gives each its French title and hint.
inline constexpr char controlCharacterMessage[] = "Argument holds a control character";
inline constexpr char tooLongMessage[] = "Argument too long";
inline constexpr char answerTooLargeMessage[] = "Answer too large";
inline constexpr char implausibleStatusMessage[] = "Status out of range";
// The library's own text for a record that cannot begin (a "file" line without a uri).
inline constexpr char malformedRecordMessage[] = "Malformed entity response line";

} // namespace kelvane::mpdc
