#pragma once

// The saved radio streams. The server has no place for them, so they are the entries
// of its stored playlist "[Radio Streams]", one "url#name" text each, and a stream is
// known by its position there. Reads go over the bulk connection and block (any
// thread); changes are sent through the command thread and return at once (GUI thread),
// doing nothing when not connected.
#include "core/streams/Stream.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace kelvane {

namespace mpdc {
class Connection;
}

class MPDStream {
  public:
    static MPDStream &sMPDStream();
    MPDStream(const MPDStream &) = delete;
    MPDStream &operator=(const MPDStream &) = delete;

    // In playlist order; empty when the playlist does not exist; none when not connected.
    std::optional<QList<Stream>> getStreamList();
    // Appends "url#name" (the server creates the playlist); an empty entry is ignored.
    void addStream(const QString &entry);
    // The same; then(added) on the GUI thread, added when the list really grew.
    void addStream(const QString &entry, std::function<void(bool added)> then);
    // Replaces the saved stream old with entry (appended at the end).
    void replaceStream(const Stream &old, const QString &entry);
    // The later entries move down by one.
    void deleteStream(quint32 position);

    // The first (queue view) or last (now-playing bar) name saved for url; null when
    // none has that address.
    static QString streamNameForQueue(const QList<Stream> &streams, const QString &url);
    static QString streamNameForNowPlaying(const QList<Stream> &streams, const QString &url);

    static QString playlistName() { return QStringLiteral("[Radio Streams]"); }

  private:
    MPDStream() = default;
    static std::optional<QList<Stream>> readStreams(mpdc::Connection &connection);
};

} // namespace kelvane
