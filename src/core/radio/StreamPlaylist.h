#pragma once

#include <QString>
#include <QStringView>

namespace kelvane {

// The text side of stream resolution: pure functions of a fetched body, any thread.
// A directory audio entry answers with a short text whose first line is either the
// stream address or the address of a PLS, M3U/M3U8 or ASX file; these read that line
// and the playlist files. A null QString means "nothing found".
//
// Lines are the pieces between line feeds; one carriage return at the end of a
// playlist line is dropped before it is read (files written on Windows). Addresses
// are recognised by "http://" or "https://", case as written.
class StreamPlaylist {
  public:
    enum class Kind { Stream, Pls, M3u, Asx };

    // The text before the first line feed, or the whole text when it has none; null
    // for a null or empty text. One trailing "\r" is dropped, as from playlist lines.
    static QString firstLine(const QString &text);
    // Characters after the last "." of the last path component ("" when none); a
    // query is part of it ("listen.pls?sid=1" gives "pls?sid=1").
    static QString pathExtension(QStringView line);
    // Dispatch on the lower-cased extension: pls, m3u or m3u8, asx; anything else is
    // taken as the stream address itself.
    static Kind kindOf(QStringView line);
    // What a fetched body is by its content, whatever its address says: a PLS file
    // ("[playlist]", or a first line "File1=..."), an M3U file ("#EXTM3U", or an "#EXTINF" line
    // first) or an ASX file ("<asx", after an XML declaration if any), case ignored, blank lines
    // and a byte-order mark skipped. Anything else gives Stream: its first line is taken as an
    // address.
    static Kind kindOfContent(QStringView text);
    // The address a playlist file of that kind holds (fromPLS, fromM3U, fromASX); null
    // for Stream.
    static QString fromFile(Kind kind, const QString &text);

    // First line whose key (text before "=", blanks trimmed) begins with "File" in any
    // case and that holds an address: that line from the address to its end.
    static QString fromPLS(const QString &text);
    // First line that holds an address anywhere, whole (comment lines included).
    static QString fromM3U(const QString &text);
    // First line with a reference element (<Ref href="...">, "ref" and "href" in any
    // case, blanks allowed around "=") whose value holds an address: from the address
    // to the closing quote. A value without closing quote is not taken.
    static QString fromASX(const QString &text);

    // Callers only play or save a stream address (Stream::isPlayableAddress): this
    // rejects null, "", a bare "http://" and the first line of a file taken for an
    // address.
    static bool isPlayable(const QString &address);

    // Position of the first "http://" or "https://" in line, or -1.
    static qsizetype addressStart(QStringView line, qsizetype from = 0);
};

} // namespace kelvane
