#pragma once

// Stream — one saved radio stream, an entry of the stored playlist "[Radio Streams]".
//   url       the entry text before the first "#"
//   name      the text after it (may hold further "#"); an entry without "#" is all
//             address, and the address is its name
//   position  0-based index among the playlist's entries when the list was read
//   Stream::fromEntry(text, position)  splits a stored entry
//   Stream::entryText(url, name)       the stored form "url#name"
//   Stream::isPlayableAddress(url)     whether the server can be handed url as a stream
#include <QString>

namespace kelvane {

struct Stream {
    QString url;
    QString name;
    qint32 position = 0;

    static Stream fromEntry(const QString &entry, qint32 position);
    static QString entryText(const QString &url, const QString &name);
    // A scheme of the server's network inputs (http, https, mms, rtsp, rtmp...), "://",
    // a host, and nothing a stream address never holds: blanks, control characters,
    // quotes, angle brackets, brackets (but around an IPv6 host). What a resolver makes
    // of a playlist it misread ("[playlist]", "<asx ...>") fails it, so it never costs
    // the queue (playing it clears the queue before the server refuses the address) nor
    // lands among the saved streams.
    static bool isPlayableAddress(const QString &url);

    friend bool operator==(const Stream &, const Stream &) = default;
};

} // namespace kelvane
