#include "desktop/CoverFile.h"

#include "covers/CoverChain.h"
#include "imageloading/ImageCombinedOperation.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kelvane {

struct CoverFile::Waiter {
    QPointer<QObject> context;
    Done done;
};

struct CoverFile::Entry {
    QString url;  // "" while loading, or when there is no cover
    QString file; // the file written for it
    bool loading = false;
    bool known = false; // the chain has answered
    quint64 generation = 0;
    std::shared_ptr<ImageCombinedOperation> load;
    QList<Waiter> waiters;
};

namespace {
CoverFile *sharedFiles = nullptr;
const QString processPrefix = QStringLiteral("covers-");

bool isStream(const QString &songPath) {
    return songPath.contains(QLatin1String("://"));
}

QString albumOf(const QString &songPath) {
    return songPath.section(QLatin1Char('/'), 0, -2);
}

// A directory of ours that nobody else may enter: made when missing, refused when it is
// anything else (a link, another user's).
bool makePrivate(const QString &path) {
    if (path.isEmpty() || !QDir().mkpath(path)) return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 0777) == 0700 || ::chmod(name.constData(), 0700) == 0;
}

// Directories of processes that ended without removing theirs (killed, crashed).
void sweepDeadProcesses(const QString &base) {
    const QStringList names =
        QDir(base).entryList({processPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks);
    for (const QString &name : names) {
        bool ok = false;
        const qint64 pid = name.mid(processPrefix.size()).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == qint64(::getpid())) continue;
        if (pid <= std::numeric_limits<pid_t>::max() &&
            (::kill(pid_t(pid), 0) == 0 || errno != ESRCH))
            continue;
        QDir(base + QLatin1Char('/') + name).removeRecursively();
    }
}

// Encodes the picture, no larger than the desktop shows it, into a file only the user can
// read; replaced whole, so a reader never sees half of it. Runs on the worker.
bool writeCover(QImage image, const QString &path) {
    const int side = CoverFile::coverSide;
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool alpha = image.hasAlphaChannel();
    if (!image.save(&buffer, alpha ? "PNG" : "JPG", alpha ? -1 : 90)) return false;
    const QByteArray name = QFile::encodeName(path);
    const QByteArray part = name + ".part";
    const int fd =
        ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += n;
    }
    const bool complete = ::close(fd) == 0 && written == bytes.size();
    if (!complete || ::rename(part.constData(), name.constData()) != 0) {
        ::unlink(part.constData());
        return false;
    }
    return true;
}
} // namespace

CoverFile &CoverFile::shared() {
    if (!sharedFiles) {
        sharedFiles = new CoverFile(CoverChain::sCoverChain(), defaultBase());
        qAddPostRoutine([] { delete std::exchange(sharedFiles, nullptr); });
    }
    return *sharedFiles;
}

QString CoverFile::defaultBase() {
    // The runtime directory is the user's alone and is emptied when the session ends;
    // only one that is private is taken.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid() && (info.st_mode & 077) == 0)
        return QFile::decodeName(runtime) + QStringLiteral("/kelvane");
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/kelvane");
}

CoverFile::CoverFile(CoverChain &chain, const QString &base) : m_chain(chain) {
    m_writer.setMaxThreadCount(1);
    m_writer.setObjectName(QStringLiteral("cover-files"));
    if (makePrivate(base)) {
        sweepDeadProcesses(base);
        const QString own = base + QLatin1Char('/') + processPrefix + QString::number(::getpid());
        if (makePrivate(own)) m_directory = own;
    }
    connect(&m_chain, &CoverChain::coversInvalidated, this, &CoverFile::invalidate);
}

CoverFile::~CoverFile() {
    for (const auto &entry : std::as_const(m_entries))
        if (entry->load) entry->load->cancel();
    m_writer.waitForDone();
    if (!m_directory.isEmpty()) QDir(m_directory).removeRecursively();
}

QString CoverFile::urlFor(const QString &songPath) const {
    if (songPath.isEmpty() || isStream(songPath)) return {};
    const std::shared_ptr<Entry> entry = m_entries.value(albumOf(songPath));
    return entry ? entry->url : QString();
}

void CoverFile::request(const QString &songPath, QObject *context, Done done) {
    if (songPath.isEmpty() || isStream(songPath) || m_directory.isEmpty()) {
        done(QString());
        return;
    }
    const QString album = albumOf(songPath);
    std::shared_ptr<Entry> &slot = m_entries[album];
    if (!slot) slot = std::make_shared<Entry>();
    const std::shared_ptr<Entry> entry = slot;
    if (entry->known && !entry->loading && entry->generation == m_generation) {
        keepRecent(album);
        done(entry->url);
        return;
    }
    entry->waiters.append({context, std::move(done)});
    if (entry->loading) return;
    entry->loading = true;
    const quint64 generation = m_generation;
    QPointer<CoverFile> self(this);
    entry->load = m_chain.loadCover(
        {album, songPath}, QSize(coverSide, coverSide),
        [self, album, generation](const QImage &image, CoverOrigin) {
            if (!self) return;
            if (image.isNull()) {
                self->finished(album, generation, QString());
                return;
            }
            const QByteArray digest =
                QCryptographicHash::hash(album.toUtf8(), QCryptographicHash::Md5).toHex();
            const QString path =
                self->m_directory + QStringLiteral("/cover-") + QString::fromLatin1(digest) +
                (image.hasAlphaChannel() ? QStringLiteral(".png") : QStringLiteral(".jpg"));
            self->m_writer.start([self, album, generation, image, path] {
                const bool written = writeCover(image, path);
                QMetaObject::invokeMethod(
                    self,
                    [self, album, generation, path, written] {
                        if (self) self->finished(album, generation, written ? path : QString());
                    },
                    Qt::QueuedConnection);
            });
        });
}

void CoverFile::finished(const QString &album, quint64 generation, const QString &file) {
    const std::shared_ptr<Entry> entry = m_entries.value(album);
    if (!entry) {
        if (!file.isEmpty()) QFile::remove(file);
        return;
    }
    entry->loading = false;
    entry->known = true;
    entry->generation = generation;
    entry->load.reset();
    if (!entry->file.isEmpty() && entry->file != file) QFile::remove(entry->file);
    entry->file = file;
    entry->url =
        file.isEmpty() ? QString() : QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    keepRecent(album);
    const QList<Waiter> waiters = std::exchange(entry->waiters, {});
    for (const Waiter &waiter : waiters)
        if (waiter.context) waiter.done(entry->url);
}

void CoverFile::keepRecent(const QString &album) {
    m_recent.removeOne(album);
    m_recent.append(album);
    // Older albums leave, files and all; one still being asked for stays.
    for (qsizetype i = 0; m_recent.size() > keptAlbums && i < m_recent.size() - 1;) {
        const std::shared_ptr<Entry> entry = m_entries.value(m_recent[i]);
        if (entry && entry->loading) {
            ++i;
            continue;
        }
        if (entry && !entry->file.isEmpty()) QFile::remove(entry->file);
        m_entries.remove(m_recent[i]);
        m_recent.removeAt(i);
    }
}

void CoverFile::invalidate() {
    // The files stay until replaced: what the desktop shows now is still a cover.
    ++m_generation;
    Q_EMIT invalidated();
}

} // namespace kelvane
