#pragma once

// Stream — one saved radio stream, an entry of the stored playlist "[Radio Streams]".
//   url       the entry text before the first "#"
//   name      the text after it (may hold further "#"); an entry without "#" is all
//             address, and the address is its name
//   position  0-based index among the playlist's entries when the list was read
//   Stream::fromEntry(text, position)  splits a stored entry
//   Stream::entryText(url, name)       the stored form "url#name"
#include <QString>

namespace kelvane {

struct Stream {
    QString url;
    QString name;
    qint32 position = 0;

    static Stream fromEntry(const QString &entry, qint32 position);
    static QString entryText(const QString &url, const QString &name);

    friend bool operator==(const Stream &, const Stream &) = default;
};

} // namespace kelvane
