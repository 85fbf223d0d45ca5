#pragma once

// One saved radio stream: an entry of the stored playlist "[Radio Streams]", stored as
// "url#name" because a playlist entry is one text. A plain value; any thread.
#include <QString>

namespace kelvane {

struct Stream {
    QString url;         // the entry's text before the first "#"
    QString name;        // the text after it (may hold "#"); without "#", the address
    qint32 position = 0; // among the playlist's entries when the list was read

    static Stream fromEntry(const QString &entry, qint32 position);
    static QString entryText(const QString &url, const QString &name); // "url#name"
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
