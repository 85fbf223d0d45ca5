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
    const QString line = StreamPlaylist::firstLine(fetch(address));
    if (line.isNull()) return QString();
    switch (StreamPlaylist::kindOf(line)) {
    case StreamPlaylist::Kind::Pls:
        return StreamPlaylist::fromPLS(fetch(line));
    case StreamPlaylist::Kind::M3u:
        return StreamPlaylist::fromM3U(fetch(line));
    case StreamPlaylist::Kind::Asx:
        return StreamPlaylist::fromASX(fetch(line));
    case StreamPlaylist::Kind::Stream:
        break;
    }
    return line;
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
