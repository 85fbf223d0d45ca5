#include "core/streams/MPDStream.h"

#include "core/mpd/ExactPlaylist.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

namespace kelvane {

MPDStream &MPDStream::sMPDStream() {
    static MPDStream instance;
    return instance;
}

std::optional<QList<Stream>> MPDStream::readStreams(mpdc::Connection &connection) {
    // Exactly the playlist additions and deletions go to: a prefix match could list
    // "[Radio Streams] old" while deletions by position hit "[Radio Streams]".
    // "listplaylist" gives every entry, known to the database or not, so the positions
    // are the ones "playlistdelete" counts.
    const auto entries =
        readExactPlaylist(connection, playlistName(), &mpdc::Connection::playlistUris);
    if (!entries) return std::nullopt;
    QList<Stream> streams;
    streams.reserve(entries->size());
    for (const QString &entry : *entries)
        streams.append(Stream::fromEntry(entry, qint32(streams.size())));
    return streams;
}

std::optional<QList<Stream>> MPDStream::getStreamList() {
    MPDBulk &bulk = MPDBulk::sMPDBulk();
    const std::shared_ptr<mpdc::Connection> connection = bulk.connection();
    if (!connection) return std::nullopt;
    auto streams = readStreams(*connection);
    if (!bulk.answered(streams, *connection)) return std::nullopt;
    return streams;
}

void MPDStream::addStream(const QString &entry) {
    addStream(entry, {});
}

void MPDStream::addStream(const QString &entry, std::function<void(bool added)> then) {
    // To the server an empty uri is the whole music directory: it would pour every
    // song of the database into the saved streams.
    const bool sent = !entry.isEmpty() && MPDSocket::sMPDSocket().send(
                                              [entry](mpdc::Connection &c) {
                                                  // Added only when the list really grew: a write
                                                  // the server refused adds nothing.
                                                  const auto before = readStreams(c);
                                                  if (!before) return false;
                                                  c.playlistAdd(playlistName(), entry);
                                                  const auto after = readStreams(c);
                                                  return after && after->size() > before->size();
                                              },
                                              [then](bool added) {
                                                  if (then) then(added);
                                              },
                                              MPDSocket::Refresh::None);
    if (!sent && then) then(false);
}

void MPDStream::replaceStream(const Stream &old, const QString &entry) {
    if (entry.isEmpty()) return;
    // The new entry goes in first: appending never moves the old one, and should the
    // connection fail in between the user keeps the stream (twice at worst) instead of
    // losing it. The old entry is removed only when its position still holds it, so a
    // list changed meanwhile (another client, a second editor) never costs another one.
    MPDSocket::sMPDSocket().send(
        [old, entry](mpdc::Connection &c) {
            const auto before = readStreams(c);
            if (!before) return;
            c.playlistAdd(playlistName(), entry);
            const auto after = readStreams(c);
            if (!after || after->size() != before->size() + 1) return;
            if (old.position < 0 || old.position >= before->size()) return;
            const Stream &there = after->at(old.position);
            if (there.url == old.url && there.name == old.name)
                c.playlistDelete(playlistName(), quint32(old.position));
        },
        MPDSocket::Refresh::None);
}

void MPDStream::deleteStream(quint32 position) {
    MPDSocket::sMPDSocket().send(
        [position](mpdc::Connection &c) { c.playlistDelete(playlistName(), position); },
        MPDSocket::Refresh::None);
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
