#pragma once

#include <QString>
#include <functional>

class QObject;

namespace kelvane {

// Turns a directory audio entry's address into one address the MPD server can play:
// fetch it, read its first line, and when that names a PLS, M3U/M3U8 or ASX file,
// fetch the file and take its first stream address (one level only).
//
// The synchronous calls block their thread on up to two fetches (15 s time-out each,
// 4 MiB body cap): call them on a worker thread only. The GUI uses resolve(), which
// runs them on QThreadPool::globalInstance() and calls back on the context's thread.
// Every failure (no network, error page, nothing recognisable) ends in a null QString
// or a text that StreamPlaylist::isPlayable rejects; nothing is reported.
class StreamResolver {
  public:
    static QString getStreamURL(const QString &address);
    // The same steps with the fetch handed in (the body at an address, null on failure):
    // the dispatch on the first line, apart from the network.
    using Fetch = std::function<QString(const QString &address)>;
    static QString resolveWith(const QString &address, const Fetch &fetch);
    static QString openFilePLS(const QString &address);
    static QString openFileM3U(const QString &address);
    static QString openFileASX(const QString &address);

    // Resolves on the worker pool and hands the result to done on context's thread
    // (the GUI thread for a widget). When context is destroyed first, done is not
    // called. Check the result with StreamPlaylist::isPlayable before playing it.
    static void resolve(const QString &address, QObject *context,
                        std::function<void(const QString &)> done);

  private:
    static QString fetchText(const QString &address);
};

} // namespace kelvane
