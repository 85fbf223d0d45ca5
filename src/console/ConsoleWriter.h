#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The one place console output is formatted (GUI thread). Fields are joined by one
// tab; a null QString prints as \N; tab, line feed and backslash inside a value are
// written as \t, \n and \\ so every record stays on one line for the reader, and a
// NUL as \0 so none reaches the output.
class ConsoleWriter {
  public:
    // Holds the lines written while it lives and writes them when the outermost one
    // ends, in one go and flushed: a list of 2,000 albums is one write, not 2,000.
    class Answer {
      public:
        Answer();
        ~Answer();
        Answer(const Answer &) = delete;
        Answer &operator=(const Answer &) = delete;
    };

    static QString escape(const QString &value);
    static QString formatLine(const QStringList &fields);
    // Writes one line to stdout and flushes at once, or at the end of the answer that
    // holds it.
    static void line(const QStringList &fields);
    // "end<TAB>count", the closing line of every list.
    static void end(qsizetype count);
    // The single line printed when a service answers none (not connected).
    static void absent();
};

} // namespace kelvane
