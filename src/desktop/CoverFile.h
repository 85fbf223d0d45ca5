#pragma once

// CoverFile — the playing album's cover handed to the desktop (media-player widgets,
// notification servers) as a file of its own. The cover chain finds the picture wherever
// it is, as it does for the now-playing bar (caches, web server, the server's cover file,
// the picture embedded in a song); it is written, at most coverSide pixels a side, into
// a directory only the user may enter: "kelvane/covers-PID" in the user's runtime
// directory, or in the user's cache when there is no private runtime directory. Never a
// shared temporary directory. The files of the last keptAlbums albums stay; the rest go
// at once, the directory when this object goes (at the latest when the application
// object does), and one left by a process that died goes at the next start.
//
// GUI thread; encoding and writing run on a worker of its own.
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace kelvane {

class CoverChain;
class ImageCombinedOperation;

class CoverFile : public QObject {
    Q_OBJECT
  public:
    // The process's own, on the shared cover chain, removed with the application object.
    static CoverFile &shared();
    // base: the directory that holds one "covers-PID" directory per process.
    CoverFile(CoverChain &chain, const QString &base);
    ~CoverFile() override;

    using Done = std::function<void(const QString &url)>;
    // The file:// URL of the cover of songPath's album, or "" (a stream, no song, an
    // album nobody has a picture for, a file that cannot be written). done runs once, on
    // this thread, only while context lives: before returning when the file is written
    // already.
    void request(const QString &songPath, QObject *context, Done done);
    // The URL of a cover written already, else "".
    QString urlFor(const QString &songPath) const;
    // This process's directory; empty when none could be made private.
    QString directory() const { return m_directory; }

    // The desktop's default place for the base directory.
    static QString defaultBase();

    static constexpr int coverSide = 512;
    static constexpr int keptAlbums = 4;

  Q_SIGNALS:
    // Covers were forgotten (a new connection, a database update): a cover shown as
    // missing may be found now.
    void invalidated();

  private:
    struct Waiter;
    struct Entry;
    void finished(const QString &album, quint64 generation, const QString &file);
    void keepRecent(const QString &album);
    void invalidate();

    CoverChain &m_chain;
    QString m_directory;
    QHash<QString, std::shared_ptr<Entry>> m_entries; // by album directory
    QStringList m_recent;                             // albums with a file, newest last
    quint64 m_generation = 0;
    QThreadPool m_writer;
};

} // namespace kelvane
