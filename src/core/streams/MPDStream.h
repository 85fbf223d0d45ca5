#pragma once

// MPDStream — the saved radio streams, kept on the server as the entries of the stored
// playlist "[Radio Streams]" (one "url#name" text per stream).
//   MPDStream::sMPDStream()
//   getStreamList() -> optional<QList<Stream>>  in playlist order, positions 0, 1, 2...;
//                        empty when the playlist does not exist; nullopt when not connected
//   addStream(entry)     appends "url#name" (creates the playlist when needed); an
//                        empty entry is ignored
//   deleteStream(pos)    deletes the entry at that position; later ones move down
//   streamNameForQueue(streams, url)       first saved name for that address (queue view)
//   streamNameForNowPlaying(streams, url)  last saved name for it (now-playing bar)
//                        both a null QString when no saved stream has that address
// Thread: GUI. Writes do nothing when not connected.
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

    std::optional<QList<Stream>> getStreamList();
    void addStream(const QString &entry);
    // The same; then(added) on the GUI thread, added when the list really grew.
    void addStream(const QString &entry, std::function<void(bool added)> then);
    // Replaces the saved stream old with entry (appended at the end).
    void replaceStream(const Stream &old, const QString &entry);
    void deleteStream(quint32 position);

    static QString streamNameForQueue(const QList<Stream> &streams, const QString &url);
    static QString streamNameForNowPlaying(const QList<Stream> &streams, const QString &url);

    static QString playlistName() { return QStringLiteral("[Radio Streams]"); }

  private:
    MPDStream() = default;
    static std::optional<QList<Stream>> readStreams(mpdc::Connection &connection);
};

} // namespace kelvane
