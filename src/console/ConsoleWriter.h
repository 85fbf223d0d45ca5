#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The one place console output is formatted (GUI thread). Fields are joined by one
// tab; a null QString prints as \N; tab, line feed and backslash inside a value are
// written as \t, \n and \\ so every record stays on one line for the reader.
class ConsoleWriter {
public:
    static QString escape(const QString &value);
    static QString formatLine(const QStringList &fields);
    // Writes one line to stdout and flushes at once.
    static void line(const QStringList &fields);
    // "end<TAB>count", the closing line of every list.
    static void end(qsizetype count);
    // The single line printed when a service answers none (not connected).
    static void absent();
};

} // namespace kelvane
