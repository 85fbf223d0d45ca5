#include "core/radio/StreamResolver.h"

#include "core/net/HttpFetch.h"
#include "core/radio/StreamPlaylist.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace kelvane {

QString StreamResolver::fetchText(const QString &address) {
    return HttpFetch::getText(QUrl(address, QUrl::TolerantMode));
}

QString StreamResolver::getStreamURL(const QString &address) {
    return resolveWith(address, &fetchText);
}

QString StreamResolver::resolveWith(const QString &address, const Fetch &fetch) {
    using Kind = StreamPlaylist::Kind;
    const QString body = fetch(address);
    // A station may answer with the playlist itself rather than its address (every
    // station whose address names a .pls file does): its first line would be taken for
    // the stream ("[playlist]").
    const Kind content = StreamPlaylist::kindOfContent(body);
    if (content != Kind::Stream) return StreamPlaylist::fromFile(content, body);
    // A file named as a playlist that does not say so on its first line is read as its
    // name says, and taken for an answer like any other when that finds nothing.
    if (const Kind named = StreamPlaylist::kindOf(address); named != Kind::Stream) {
        const QString found = StreamPlaylist::fromFile(named, body);
        if (!found.isNull()) return found;
    }
    const QString line = StreamPlaylist::firstLine(body);
    if (line.isNull()) return QString();
    const Kind kind = StreamPlaylist::kindOf(line);
    if (kind == Kind::Stream) return line;
    // One level only: what the playlist file names is not resolved again. Its content
    // says what it is before its name does.
    const QString file = fetch(line);
    const Kind fileContent = StreamPlaylist::kindOfContent(file);
    return StreamPlaylist::fromFile(fileContent == Kind::Stream ? kind : fileContent, file);
}

QString StreamResolver::openFilePLS(const QString &address) {
    return StreamPlaylist::fromPLS(fetchText(address));
}

QString StreamResolver::openFileM3U(const QString &address) {
    return StreamPlaylist::fromM3U(fetchText(address));
}

QString StreamResolver::openFileASX(const QString &address) {
    return StreamPlaylist::fromASX(fetchText(address));
}

void StreamResolver::resolve(const QString &address, QObject *context,
                             std::function<void(const QString &)> done) {
    // The watcher belongs to the context: destroying the context drops the callback,
    // while the worker finishes its fetch and its result is thrown away.
    auto *watcher = new QFutureWatcher<QString>(context);
    QObject::connect(watcher, &QFutureWatcher<QString>::finished, watcher,
                     [watcher, done = std::move(done)] {
                         const QString result = watcher->result();
                         watcher->deleteLater();
                         if (done) done(result);
                     });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(),
                                         [address] { return getStreamURL(address); }));
}

} // namespace kelvane
