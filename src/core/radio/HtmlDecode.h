#pragma once

#include <QString>

namespace kelvane {

// Replaces the HTML character references of a directory name or description
// ("&eacute;", "&#233;", "&#xE9;") and leaves everything else as written, in one pass
// over UTF-16 code units, in time linear in the text's length: replaced text is never
// read again ("&amp;lt;" gives "&lt;"), and a reference never spans another "&".
// A candidate is examined only when it is 4 to 10 code units long, "&" to ";" included.
// Unknown, malformed or out-of-range references stay as written. Pure; any thread.
QString htmlDecode(const QString &text);

// The three steps behind htmlDecode, each replacing the range [start, start + length)
// of result (the reference's place) when it can and leaving it otherwise.
// Named reference: exact, case-sensitive lookup in the 253-entry table.
QString &notDiese(QString &result, QStringView reference, qsizetype start);
// Numeric reference: char2 is the code unit after "&#"; length is the reference's.
QString &diese(QString &result, QChar char2, qsizetype length, QStringView reference,
               qsizetype start);
// A code point in UTF-16: one unit up to FFFE, a surrogate pair from 10000 to 10FFFF;
// FFFF, 0 and anything past 10FFFF leave the reference in place.
QString &dieseString(quint32 codePoint, QString &result, qsizetype start, qsizetype length);

} // namespace kelvane
