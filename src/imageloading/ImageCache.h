#pragma once

#include "imageloading/ImageCacheConfig.h"
#include "imageloading/MemoryCache.h"
#include "imageloading/SerialQueue.h"

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QSemaphore>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

namespace kelvane {

// Where a lookup found its answer.
enum class ImageCacheSource : int { None = 0, Disk = 1, Memory = 2 };

// "none", "disk" or "memory".
QString imageCacheSourceName(ImageCacheSource source);

// Bits of a cache query.
enum ImageCacheQueryOption : unsigned {
    // On a memory hit, still read the disk bytes and report them.
    CacheQueryDataEvenInMemory = 1,
    // Run the disk part synchronously on the caller's thread and answer there.
    CacheQueryDiskOnCallerThread = 2,
    // Ask decompression to scale large images down.
    CacheQueryScaleDown = 4,
};
using ImageCacheQueryOptions = unsigned;

// The handle of a pending cache query: cancelling it before its turn on the disk queue
// means its completion is never called.
class ImageCacheQueryOperation {
  public:
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

  private:
    std::atomic<bool> m_cancelled{false};
};

using ImageCacheQueryCompletion =
    std::function<void(const QImage &image, const QByteArray &data, ImageCacheSource source)>;
using ImageCacheCompletion = std::function<void()>;

// Decoded images in memory, their encoded bytes on disk, both keyed by a string (the
// image's URL). Any thread may call it; disk work runs in order on one worker thread
// (the disk queue), disk hits are decoded on a small pool, memory work runs on the
// caller's thread. Completions come back on the
// application's thread unless a member says otherwise.
class ImageCache {
  public:
    // The process-wide cache, on "Kelvane/cover" in the user's data directory.
    static ImageCache &sharedImageCache();
    static QString defaultDiskCachePath();

    // The memory level is bounded to this many bytes of decoded pixels by default: some
    // 160 covers at the grid's size (five screens of it). More buys little: the disk keeps
    // every original and decoding one again at the grid's size costs well under a
    // millisecond, while each cover held costs 100 KiB for the whole run (measured with
    // 2,000 covers shown: 80 MiB of anonymous memory with a 64 MiB bound). Views hold the
    // pictures they show themselves, so the bound never takes a cover off the screen.
    static constexpr qint64 DefaultMaxMemoryCost = qint64(16) << 20;

    explicit ImageCache(const QString &diskCachePath);
    ~ImageCache();
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    ImageCacheConfig config() const;
    void setConfig(const ImageCacheConfig &config);
    QString diskCachePath() const { return m_diskCachePath; }

    // --- file names
    // 32 lowercase hex digits of the MD5 of the key's UTF-8, then "." and the key's URL
    // path extension when it has one of at most 222 bytes in UTF-8, without NUL or slash.
    static QString cachedFileNameForKey(const QString &key);
    QString defaultCachePathForKey(const QString &key) const;
    static QString cachePathForKey(const QString &key, const QString &directory);
    // Extra read-only directories searched after the cache's own, in order added.
    void addReadOnlyCachePath(const QString &path);

    // --- sizes
    // A picture made for a view of targetSize (see sizeCovering) is kept in memory under a
    // key of its own, while the disk keeps the original bytes under the plain key: the
    // grid gets small pictures, a large view still gets full resolution from disk. An
    // invalid or empty targetSize means the full-size picture, under the plain key.
    static QString memoryKeyForKey(const QString &key, QSize targetSize);

    // --- queries
    // No key: done(none) at once, returns null. A memory hit (without
    // CacheQueryDataEvenInMemory) answers at once, before returning, and returns null.
    // Otherwise the disk is read on the disk queue and done is called on the application's
    // thread (or on the caller's thread, synchronously, with CacheQueryDiskOnCallerThread).
    // With a targetSize the picture is looked for, decoded and kept at that size.
    std::shared_ptr<ImageCacheQueryOperation>
    queryCacheOperationForKey(const QString &key, ImageCacheQueryOptions options,
                              ImageCacheQueryCompletion done, QSize targetSize = {});
    std::shared_ptr<ImageCacheQueryOperation>
    queryCacheOperationForKey(const QString &key, ImageCacheQueryCompletion done) {
        return queryCacheOperationForKey(key, 0, std::move(done));
    }

    QImage imageFromMemoryCacheForKey(const QString &key);
    // Reads and decodes synchronously; a decoded image also goes into memory.
    QImage imageFromDiskCacheForKey(const QString &key);
    QImage imageFromCacheForKey(const QString &key);
    QByteArray diskImageDataForKey(const QString &key);
    void diskImageExistsWithKey(const QString &key, std::function<void(bool)> completion);
    bool diskImageDataExistsWithKey(const QString &key);

    // --- stores
    // Nothing is stored without an image and a key (completion still runs, at once).
    // Without bytes the image is encoded: PNG when it has alpha, else JPEG. Completion
    // runs on the application's thread after the disk write, or at once when not to disk.
    // With a targetSize the image is the picture made for that size: it goes to memory
    // under its sized key, and only the original bytes go to disk (never the reduced
    // picture encoded, which would stand for the original).
    void storeImage(const QImage &image, const QByteArray &imageData, const QString &key,
                    bool toDisk, ImageCacheCompletion completion = {}, QSize targetSize = {});
    void storeImage(const QImage &image, const QString &key, ImageCacheCompletion completion = {}) {
        storeImage(image, QByteArray(), key, true, std::move(completion));
    }
    void storeImage(const QImage &image, const QString &key, bool toDisk,
                    ImageCacheCompletion completion = {}) {
        storeImage(image, QByteArray(), key, toDisk, std::move(completion));
    }
    // Synchronous.
    void storeImageDataToDisk(const QByteArray &imageData, const QString &key);

    // --- removal
    // No key: nothing at all, the completion is not called. The pictures of every size
    // go from memory.
    void removeImageForKey(const QString &key, bool fromDisk = true,
                           ImageCacheCompletion completion = {});
    void clearMemory();
    // Afterwards the cache directory exists and is empty.
    void clearDiskOnCompletion(ImageCacheCompletion completion = {});
    // Removes files older than maxCacheAge, then, above maxCacheSize, the oldest until
    // under half of it. Nothing starts it on its own.
    void deleteOldFiles(ImageCacheCompletion completion = {});

    // --- size
    void calculateSize(std::function<void(qint64 fileCount, qint64 totalBytes)> completion);
    qint64 getSize();
    qint64 getDiskCount();

    // --- memory bounds
    qint64 maxMemoryCost() const { return m_memory.totalCostLimit(); }
    void setMaxMemoryCost(qint64 bytes) { m_memory.setTotalCostLimit(bytes); }
    qint64 maxMemoryCountLimit() const { return m_memory.countLimit(); }
    void setMaxMemoryCountLimit(qint64 count) { m_memory.setCountLimit(count); }
    // Current use of the memory level.
    qint64 memoryCost() const { return m_memory.totalCost(); }
    qint64 memoryCount() const { return m_memory.count(); }

  private:
    QByteArray diskImageDataBySearchingAllPaths(const QString &key) const;
    QImage diskImageForKey(const QByteArray &data, const QString &key,
                           ImageCacheQueryOptions options, QSize targetSize = {}) const;
    void storeImageDataToDiskOnQueue(const QByteArray &data, const QString &key);
    bool diskImageDataExistsOnQueue(const QString &key) const;
    void deleteOldFilesOnQueue();

    mutable QMutex m_lock; // config and customPaths
    ImageCacheConfig m_config;
    QStringList m_customPaths;
    MemoryCache m_memory;
    const QString m_diskCachePath;
    QThreadPool m_decodePool; // decodes disk hits; declared before the queue that feeds it
    QSemaphore m_decodeSlots; // disk hits read but not yet decoded, at most
    SerialQueue m_ioQueue;
};

} // namespace kelvane
