// Pruning and size accounting of the image cache's disk level (disk queue).
#include "imageloading/ImageCache.h"

#include "core/thread/MainThread.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kelvane {

namespace {
struct CachedFile {
    QString path;
    QDateTime date;
    qint64 size = 0;
};

// Every non-hidden entry below the cache directory, files and directories alike.
QDirIterator entriesOf(const QString &dir) {
    return QDirIterator(dir, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
}
} // namespace

void ImageCache::deleteOldFiles(ImageCacheCompletion completion) {
    m_ioQueue.async([this, completion = std::move(completion)] {
        deleteOldFilesOnQueue();
        if (completion) postToMainThread(completion);
    });
}

void ImageCache::deleteOldFilesOnQueue() {
    const ImageCacheConfig cfg = config();
    const QDateTime expiration = QDateTime::currentDateTimeUtc().addSecs(-cfg.maxCacheAge);
    QList<QString> expired;
    QList<CachedFile> kept;
    qint64 total = 0;

    for (auto it = entriesOf(m_diskCachePath); it.hasNext();) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir() || !info.exists()) continue;
        const QDateTime date = cfg.diskCacheExpireType == DiskExpireType::ByAccessDate
                                   ? info.lastRead()
                                   : info.lastModified();
        if (!date.isValid()) continue;
        if (date <= expiration) {
            expired.append(info.filePath());
            continue;
        }
        total += info.size();
        kept.append({info.filePath(), date, info.size()});
    }
    for (const QString &path : expired)
        QFile::remove(path);

    if (cfg.maxCacheSize > 0 && quint64(total) > cfg.maxCacheSize) {
        const qint64 target = qint64(cfg.maxCacheSize / 2);
        std::sort(kept.begin(), kept.end(),
                  [](const CachedFile &a, const CachedFile &b) { return a.date < b.date; });
        for (const CachedFile &file : kept) {
            if (QFile::remove(file.path)) {
                total -= file.size;
                if (total < target) break;
            }
        }
    }
}

void ImageCache::calculateSize(std::function<void(qint64, qint64)> completion) {
    m_ioQueue.async([this, completion = std::move(completion)] {
        qint64 count = 0;
        qint64 bytes = 0;
        for (auto it = entriesOf(m_diskCachePath); it.hasNext();) {
            it.next();
            ++count;
            bytes += it.fileInfo().size();
        }
        if (completion) postToMainThread([completion, count, bytes] { completion(count, bytes); });
    });
}

qint64 ImageCache::getSize() {
    qint64 bytes = 0;
    m_ioQueue.sync([&] {
        for (auto it = entriesOf(m_diskCachePath); it.hasNext();) {
            it.next();
            bytes += it.fileInfo().size();
        }
    });
    return bytes;
}

qint64 ImageCache::getDiskCount() {
    qint64 count = 0;
    m_ioQueue.sync([&] {
        for (auto it = entriesOf(m_diskCachePath); it.hasNext();) {
            it.next();
            ++count;
        }
    });
    return count;
}

} // namespace kelvane
