#include "imageloading/ImageCache.h"

#include "core/thread/MainThread.h"
#include "imageloading/ImageCodersManager.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>
#include <QUrl>

namespace kelvane {

QString imageCacheSourceName(ImageCacheSource source) {
    switch (source) {
    case ImageCacheSource::Disk:
        return QStringLiteral("disk");
    case ImageCacheSource::Memory:
        return QStringLiteral("memory");
    case ImageCacheSource::None:
        break;
    }
    return QStringLiteral("none");
}

ImageCache &ImageCache::sharedImageCache() {
    // Never destroyed: completions may still be queued when the application object goes.
    static ImageCache *instance = new ImageCache(defaultDiskCachePath());
    return *instance;
}

QString ImageCache::defaultDiskCachePath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Kelvane/cover");
}

ImageCache::ImageCache(const QString &diskCachePath)
    : m_diskCachePath(diskCachePath), m_ioQueue(QStringLiteral("Kelvane")) {
    m_decodePool.setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
    m_decodeSlots.release(2 * m_decodePool.maxThreadCount());
    m_memory.setName(diskCachePath);
    m_memory.setTotalCostLimit(DefaultMaxMemoryCost);
}

ImageCache::~ImageCache() {
    m_decodePool.waitForDone();
}

ImageCacheConfig ImageCache::config() const {
    QMutexLocker locker(&m_lock);
    return m_config;
}

void ImageCache::setConfig(const ImageCacheConfig &config) {
    QMutexLocker locker(&m_lock);
    m_config = config;
}

// ---------------------------------------------------------------- file names

namespace {
QString pathExtension(const QString &path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const QString last = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == last.size() - 1) return {};
    return last.mid(dot + 1);
}

QString withoutExtension(const QString &path) {
    const QString ext = pathExtension(path);
    return ext.isEmpty() ? path : path.left(path.size() - ext.size() - 1);
}
} // namespace

QString ImageCache::cachedFileNameForKey(const QString &key) {
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Md5);
    const QUrl url(key, QUrl::StrictMode);
    QString ext = url.isValid() ? pathExtension(url.path()) : pathExtension(key);
    // A file name holds at most 255 bytes, in UTF-8 here: 32 digits, a dot, and what is
    // left. A NUL (a decoded %00) would end the name early and a slash would make it a
    // path: such an extension is dropped like one too long.
    if (ext.contains(QChar(u'\0')) || ext.contains(QLatin1Char('/')) ||
        ext.toUtf8().size() > 255 - 32 - 1)
        ext.clear();
    QString name = QString::fromLatin1(digest.toHex());
    if (!ext.isEmpty()) name += QLatin1Char('.') + ext;
    return name;
}

QString ImageCache::cachePathForKey(const QString &key, const QString &directory) {
    return directory + QLatin1Char('/') + cachedFileNameForKey(key);
}

QString ImageCache::defaultCachePathForKey(const QString &key) const {
    return cachePathForKey(key, m_diskCachePath);
}

void ImageCache::addReadOnlyCachePath(const QString &path) {
    QMutexLocker locker(&m_lock);
    if (!m_customPaths.contains(path)) m_customPaths.append(path);
}

// ---------------------------------------------------------------- disk access (disk queue)

namespace {
QByteArray readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}
} // namespace

QByteArray ImageCache::diskImageDataBySearchingAllPaths(const QString &key) const {
    const QString defaultPath = defaultCachePathForKey(key);
    QStringList candidates{defaultPath, withoutExtension(defaultPath)};
    QStringList custom;
    {
        QMutexLocker locker(&m_lock);
        custom = m_customPaths;
    }
    for (const QString &dir : custom) {
        const QString path = cachePathForKey(key, dir);
        candidates << path << withoutExtension(path);
    }
    for (const QString &path : candidates) {
        if (!QFileInfo(path).isFile()) continue;
        QByteArray data = readFile(path);
        if (!data.isNull()) return data;
    }
    return {};
}

namespace {
// A blank never occurs in an encoded URL, so no plain key looks like a sized one.
QString sizedKeyPrefix(const QString &key) {
    return key + QStringLiteral(" @");
}
} // namespace

QString ImageCache::memoryKeyForKey(const QString &key, QSize targetSize) {
    if (targetSize.isEmpty()) return key;
    return sizedKeyPrefix(key) +
           QStringLiteral("%1x%2").arg(targetSize.width()).arg(targetSize.height());
}

QImage ImageCache::diskImageForKey(const QByteArray &data, const QString &key,
                                   ImageCacheQueryOptions options, QSize targetSize) const {
    if (data.isEmpty()) return {};
    auto &coders = ImageCodersManager::sharedInstance();
    QImage image = scaledImageForKey(key, coders.decodedImageWithData(data, targetSize));
    if (!image.isNull() && config().shouldDecompressImages) {
        QByteArray bytes = data;
        image = coders.decompressedImageWithImage(
            image, &bytes, ImageCoderOptions{(options & CacheQueryScaleDown) != 0});
    }
    return image;
}

namespace {
// The covers show what the user listens to: the directory is the user's alone (0700),
// also one an earlier version left open to others.
void makePrivateDirectory(const QString &path) {
    QDir().mkpath(path);
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
} // namespace

void ImageCache::storeImageDataToDiskOnQueue(const QByteArray &data, const QString &key) {
    if (data.isEmpty() || key.isEmpty()) return;
    makePrivateDirectory(m_diskCachePath);
    const QString path = defaultCachePathForKey(key);
    // Write errors are not reported: the disk level is only a faster way to the network.
    if (config().diskCacheWritingOptions & DiskWriteAtomic) {
        // A temporary file renamed over the name, so readers never see half a file. Not
        // QSaveFile: it syncs every file to disk, which made each cover write cost a disk
        // flush, and a cache entry lost to a power cut is only downloaded again.
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        file.setAutoRemove(true);
        if (file.open() && file.write(data) == data.size()) {
            file.close();
            QFile::remove(path);
            if (file.rename(path)) file.setAutoRemove(false);
        }
    } else {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(data);
    }
}

bool ImageCache::diskImageDataExistsOnQueue(const QString &key) const {
    if (key.isEmpty()) return false;
    const QString path = defaultCachePathForKey(key);
    return QFileInfo(path).isFile() || QFileInfo(withoutExtension(path)).isFile();
}

// ---------------------------------------------------------------- queries

std::shared_ptr<ImageCacheQueryOperation>
ImageCache::queryCacheOperationForKey(const QString &key, ImageCacheQueryOptions options,
                                      ImageCacheQueryCompletion done, QSize targetSize) {
    if (key.isEmpty()) {
        if (done) done({}, {}, ImageCacheSource::None);
        return nullptr;
    }
    const QString memoryKey = memoryKeyForKey(key, targetSize);
    const QImage inMemory = m_memory.object(memoryKey);
    if (!inMemory.isNull() && !(options & CacheQueryDataEvenInMemory)) {
        if (done) done(inMemory, {}, ImageCacheSource::Memory);
        return nullptr;
    }

    auto operation = std::make_shared<ImageCacheQueryOperation>();
    const bool onCaller = options & CacheQueryDiskOnCallerThread;
    // Reading stays on the disk queue, in order; decoding a hit goes to the decode pool, so
    // both cores work when a screenful of covers comes from disk (measured with 2,000
    // covers: 3.8 ms per cover decoded on the queue, against a 2.6 ms decoding floor).
    auto decodePart = [this, key, memoryKey, targetSize, options, operation, done,
                       onCaller](const QByteArray &data) {
        if (!onCaller && operation->isCancelled()) return;
        const QImage image = diskImageForKey(data, key, options, targetSize);
        if (!image.isNull() && config().shouldCacheImagesInMemory)
            m_memory.setObject(memoryKey, image, memoryCostOf(image));
        if (!done) return;
        if (onCaller) {
            done(image, data, ImageCacheSource::Disk);
            return;
        }
        postToMainThread([operation, done, image, data] {
            // Cancelled while the answer travelled: the caller no longer wants it.
            if (!operation->isCancelled()) done(image, data, ImageCacheSource::Disk);
        });
    };
    auto diskPart = [this, key, inMemory, operation, done, onCaller, decodePart] {
        if (operation->isCancelled()) return;
        const QByteArray data = diskImageDataBySearchingAllPaths(key);
        if (inMemory.isNull() && !data.isNull()) {
            if (onCaller) {
                decodePart(data);
            } else {
                // Reading outruns decoding; without a bound the queue would pile up encoded
                // and decoded covers (measured: 280 MiB peak instead of 180 MiB).
                m_decodeSlots.acquire();
                m_decodePool.start([this, decodePart, data] {
                    decodePart(data);
                    m_decodeSlots.release();
                });
            }
            return;
        }
        const QImage image = inMemory;
        const ImageCacheSource source =
            inMemory.isNull() ? ImageCacheSource::None : ImageCacheSource::Memory;
        if (!done) return;
        if (onCaller) {
            done(image, data, source);
        } else {
            postToMainThread([operation, done, image, data, source] {
                if (!operation->isCancelled()) done(image, data, source);
            });
        }
    };
    if (onCaller)
        diskPart();
    else
        m_ioQueue.async(std::move(diskPart));
    return operation;
}

QImage ImageCache::imageFromMemoryCacheForKey(const QString &key) {
    return key.isEmpty() ? QImage() : m_memory.object(key);
}

QImage ImageCache::imageFromDiskCacheForKey(const QString &key) {
    if (key.isEmpty()) return {};
    QByteArray data;
    m_ioQueue.sync([&] { data = diskImageDataBySearchingAllPaths(key); });
    const QImage image = diskImageForKey(data, key, 0);
    if (!image.isNull() && config().shouldCacheImagesInMemory)
        m_memory.setObject(key, image, memoryCostOf(image));
    return image;
}

QImage ImageCache::imageFromCacheForKey(const QString &key) {
    const QImage image = imageFromMemoryCacheForKey(key);
    return image.isNull() ? imageFromDiskCacheForKey(key) : image;
}

QByteArray ImageCache::diskImageDataForKey(const QString &key) {
    if (key.isEmpty()) return {};
    QByteArray data;
    m_ioQueue.sync([&] { data = diskImageDataBySearchingAllPaths(key); });
    return data;
}

void ImageCache::diskImageExistsWithKey(const QString &key, std::function<void(bool)> completion) {
    m_ioQueue.async([this, key, completion = std::move(completion)] {
        const bool exists = diskImageDataExistsOnQueue(key);
        if (completion) postToMainThread([completion, exists] { completion(exists); });
    });
}

bool ImageCache::diskImageDataExistsWithKey(const QString &key) {
    bool exists = false;
    m_ioQueue.sync([&] { exists = diskImageDataExistsOnQueue(key); });
    return exists;
}

// ---------------------------------------------------------------- stores and removal

void ImageCache::storeImage(const QImage &image, const QByteArray &imageData, const QString &key,
                            bool toDisk, ImageCacheCompletion completion, QSize targetSize) {
    if (image.isNull() || key.isEmpty()) {
        if (completion) completion();
        return;
    }
    if (config().shouldCacheImagesInMemory)
        m_memory.setObject(memoryKeyForKey(key, targetSize), image, memoryCostOf(image));
    if (!toDisk || (imageData.isEmpty() && !targetSize.isEmpty())) {
        if (completion) completion();
        return;
    }
    // The decoded image rides along only when it must be encoded: a queue of pending
    // writes holding a megabyte of pixels each would defeat the memory bound.
    const QImage toEncode = imageData.isEmpty() ? image : QImage();
    m_ioQueue.async([this, toEncode, imageData, key, completion = std::move(completion)] {
        QByteArray data = imageData;
        if (data.isEmpty())
            data = ImageCodersManager::sharedInstance().encodedDataWithImage(
                toEncode, ImageFormat::Undefined);
        storeImageDataToDiskOnQueue(data, key);
        if (completion) postToMainThread(completion);
    });
}

void ImageCache::storeImageDataToDisk(const QByteArray &imageData, const QString &key) {
    m_ioQueue.sync([&] { storeImageDataToDiskOnQueue(imageData, key); });
}

void ImageCache::removeImageForKey(const QString &key, bool fromDisk,
                                   ImageCacheCompletion completion) {
    if (key.isEmpty()) return;
    if (config().shouldCacheImagesInMemory) {
        m_memory.removeObject(key);
        m_memory.removeObjectsWithPrefix(sizedKeyPrefix(key));
    }
    if (!fromDisk) {
        if (completion) completion();
        return;
    }
    m_ioQueue.async([this, key, completion = std::move(completion)] {
        QFile::remove(defaultCachePathForKey(key));
        if (completion) postToMainThread(completion);
    });
}

void ImageCache::clearMemory() {
    m_memory.removeAllObjects();
}

void ImageCache::clearDiskOnCompletion(ImageCacheCompletion completion) {
    m_ioQueue.async([this, completion = std::move(completion)] {
        QDir(m_diskCachePath).removeRecursively();
        makePrivateDirectory(m_diskCachePath);
        if (completion) postToMainThread(completion);
    });
}

} // namespace kelvane
