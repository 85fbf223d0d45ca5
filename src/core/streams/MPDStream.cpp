#include "core/streams/MPDStream.h"

#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

namespace kelvane {

MPDStream &MPDStream::sMPDStream() {
    static MPDStream instance;
    return instance;
}

std::optional<QList<Stream>> MPDStream::getStreamList() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    // The look-up and the read belong together.
    auto guard = connection->lock();
    const auto names = connection->playlists();
    if (!bulk.answered(names, *connection)) return std::nullopt;
    // Exactly the playlist additions and deletions go to: a prefix match could list
    // "[Radio Streams] old" while deletions by position hit "[Radio Streams]".
    if (!names->contains(playlistName())) return QList<Stream>();
    // "listplaylist" gives every entry, known to the database or not, so the positions
    // are the ones "playlistdelete" counts.
    const auto entries = connection->playlistUris(playlistName());
    if (!bulk.answered(entries, *connection)) return std::nullopt;
    QList<Stream> streams;
    streams.reserve(entries->size());
    for (const QString &entry : *entries)
        streams.append(Stream::fromEntry(entry, qint32(streams.size())));
    return streams;
}

void MPDStream::addStream(const QString &entry) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    // To the server an empty uri is the whole music directory: it would pour every
    // song of the database into the saved streams.
    if (entry.isEmpty() || !socket.isConnected()) return;
    socket.getConnection()->playlistAdd(playlistName(), entry);
}

void MPDStream::deleteStream(quint32 position) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) return;
    socket.getConnection()->playlistDelete(playlistName(), position);
}

QString MPDStream::streamNameForQueue(const QList<Stream> &streams, const QString &url) {
    for (const Stream &stream : streams)
        if (stream.url == url) return stream.name;
    return QString();
}

QString MPDStream::streamNameForNowPlaying(const QList<Stream> &streams, const QString &url) {
    for (auto it = streams.crbegin(); it != streams.crend(); ++it)
        if (it->url == url) return it->name;
    return QString();
}

} // namespace kelvane
