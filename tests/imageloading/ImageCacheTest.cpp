#include "ImageTestData.h"

#include "imageloading/ImageCache.h"
#include "imageloading/ImageFormat.h"
#include "support/Wait.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {
class ImageCacheTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString coverDir = dir.filePath(QStringLiteral("Kelvane/cover"));
    ImageCache cache{coverDir};

    struct Answer {
        bool called = false;
        QImage image;
        QByteArray data;
        ImageCacheSource source = ImageCacheSource::None;
    };
    ImageCacheQueryCompletion recordInto(Answer &answer) {
        return [&answer](const QImage &image, const QByteArray &data, ImageCacheSource source) {
            answer = {true, image, data, source};
        };
    }
    void storeAndWait(const QImage &image, const QByteArray &data, const QString &key) {
        bool stored = false;
        cache.storeImage(image, data, key, true, [&] { stored = true; });
        ASSERT_TRUE(waitUntil([&] { return stored; }));
    }
};
} // namespace

TEST_F(ImageCacheTest, FileNamesAreMd5PlusTheUrlExtension) {
    const QString key = QStringLiteral("http://127.0.0.1/Pink%20Floyd/The%20Wall/cover.jpg");
    const QString name = ImageCache::cachedFileNameForKey(key);
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Md5).toHex());
    EXPECT_EQ(name, digest + QStringLiteral(".jpg"));
    EXPECT_EQ(digest.size(), 32);
    EXPECT_EQ(digest, digest.toLower());

    EXPECT_EQ(ImageCache::cachedFileNameForKey(QStringLiteral("http://h/logo")),
              QString::fromLatin1(
                  QCryptographicHash::hash("http://h/logo", QCryptographicHash::Md5).toHex()));
    // The query is not part of the path: a script URL gets the script's extension.
    EXPECT_TRUE(
        ImageCache::cachedFileNameForKey(QStringLiteral("http://h/index.php?file=/a/cover.jpg"))
            .endsWith(QStringLiteral(".php")));

    const QString ext222(222, QLatin1Char('e'));
    const QString ext223(223, QLatin1Char('e'));
    EXPECT_TRUE(ImageCache::cachedFileNameForKey(QStringLiteral("http://h/a.") + ext222)
                    .endsWith(QLatin1Char('.') + ext222));
    EXPECT_EQ(ImageCache::cachedFileNameForKey(QStringLiteral("http://h/a.") + ext223).size(), 32);
    EXPECT_EQ(cache.defaultCachePathForKey(key), coverDir + QLatin1Char('/') + name);
}

TEST_F(ImageCacheTest, FileNamesFitTheFileSystemWhateverTheUrl) {
    // The limit counts UTF-8 bytes: 111 two-byte letters (222 bytes) stay, 112 do not; 74
    // three-byte signs stay, 75 do not.
    const auto nameFor = [](const QString &ext) {
        return ImageCache::cachedFileNameForKey(QStringLiteral("http://h/a.") + ext);
    };
    EXPECT_TRUE(nameFor(QString(111, u'é')).endsWith(QString(111, u'é')));
    EXPECT_EQ(nameFor(QString(112, u'é')).size(), 32);
    EXPECT_TRUE(nameFor(QString(74, u'€')).endsWith(QString(74, u'€')));
    EXPECT_EQ(nameFor(QString(75, u'€')).size(), 32);
    // A NUL would end the name early, a slash would make it a path.
    const QStringList hostile{
        QStringLiteral("http://h/cover.jp%00g"), QStringLiteral("http://h/cover.jpg%00"),
        QStringLiteral("http://h/cover.%2F..%2F..%2Fescape"), QStringLiteral("cover.jp\u0000g")};
    for (const QString &key : hostile) {
        const QString name = ImageCache::cachedFileNameForKey(key);
        EXPECT_FALSE(name.contains(QChar(u'\0'))) << key.toStdString();
        EXPECT_FALSE(name.contains(QLatin1Char('/'))) << key.toStdString();
    }
    // Every such key is stored as a file of its own in the cache directory and read back.
    QStringList keys = hostile;
    keys << QStringLiteral("http://h/a.") + QString(200, u'é')
         << QStringLiteral("http://h/a.") + QString(74, u'€')
         << QStringLiteral("http://h/cover.jpg");
    for (const QString &key : std::as_const(keys)) {
        const QByteArray bytes = jpegBytes(8, 8, int(keys.indexOf(key)));
        cache.storeImageDataToDisk(bytes, key);
        EXPECT_EQ(cache.diskImageDataForKey(key), bytes) << key.toStdString();
    }
    EXPECT_EQ(QDir(coverDir).entryList(QDir::Files).size(), keys.size());
    EXPECT_EQ(QDir(coverDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(ImageCacheTest, NoKeyAndMemoryHitsAnswerBeforeReturning) {
    Answer answer;
    EXPECT_EQ(cache.queryCacheOperationForKey(QString(), recordInto(answer)), nullptr);
    EXPECT_TRUE(answer.called);
    EXPECT_EQ(answer.source, ImageCacheSource::None);

    const QImage image = patternImage(10, 10);
    cache.storeImage(image, QStringLiteral("k"), false);
    answer = {};
    EXPECT_EQ(cache.queryCacheOperationForKey(QStringLiteral("k"), recordInto(answer)), nullptr);
    ASSERT_TRUE(answer.called);
    EXPECT_EQ(answer.source, ImageCacheSource::Memory);
    EXPECT_EQ(answer.image.cacheKey(), image.cacheKey());
    EXPECT_TRUE(answer.data.isNull());
}

TEST_F(ImageCacheTest, DiskHitsDecodeOnTheQueueAndAnswerOnTheMainThread) {
    const QByteArray bytes = jpegBytes(30, 20);
    const QString key = QStringLiteral("http://h/a/cover.jpg");
    storeAndWait(QImage(), bytes, key); // no image: nothing stored
    EXPECT_FALSE(QFile::exists(cache.defaultCachePathForKey(key)));

    storeAndWait(patternImage(30, 20), bytes, key);
    EXPECT_EQ(QFileInfo(cache.defaultCachePathForKey(key)).size(), bytes.size());
    cache.clearMemory();

    Answer answer;
    auto operation = cache.queryCacheOperationForKey(key, recordInto(answer));
    EXPECT_NE(operation, nullptr);
    EXPECT_FALSE(answer.called) << "a disk read must not answer on the caller's stack";
    ASSERT_TRUE(waitUntil([&] { return answer.called; }));
    EXPECT_EQ(answer.source, ImageCacheSource::Disk);
    EXPECT_EQ(answer.image.size(), QSize(30, 20));
    EXPECT_EQ(answer.data, bytes);
    // The disk hit went into memory.
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(key).isNull());

    // With the data even in memory, the bytes come along with the memory image.
    answer = {};
    cache.queryCacheOperationForKey(key, CacheQueryDataEvenInMemory, recordInto(answer));
    ASSERT_TRUE(waitUntil([&] { return answer.called; }));
    EXPECT_EQ(answer.source, ImageCacheSource::Memory);
    EXPECT_EQ(answer.data, bytes);

    // On the caller's thread, synchronously.
    cache.clearMemory();
    answer = {};
    cache.queryCacheOperationForKey(key, CacheQueryDiskOnCallerThread, recordInto(answer));
    EXPECT_TRUE(answer.called);
    EXPECT_EQ(answer.source, ImageCacheSource::Disk);
}

TEST_F(ImageCacheTest, LookupsAlsoFindTheNameWithoutExtension) {
    const QString key = QStringLiteral("http://h/b/cover.jpg");
    QDir().mkpath(coverDir);
    const QString bare = cache.defaultCachePathForKey(key).chopped(4);
    QFile file(bare);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jpegBytes(7, 7));
    file.close();
    EXPECT_TRUE(cache.diskImageDataExistsWithKey(key));
    EXPECT_EQ(cache.imageFromDiskCacheForKey(key).size(), QSize(7, 7));
}

TEST_F(ImageCacheTest, UndecodableBytesAreADiskSourceWithoutImage) {
    const QString key = QStringLiteral("http://h/broken.jpg");
    cache.storeImageDataToDisk("garbage", key);
    Answer answer;
    cache.queryCacheOperationForKey(key, recordInto(answer));
    ASSERT_TRUE(waitUntil([&] { return answer.called; }));
    EXPECT_TRUE(answer.image.isNull());
    EXPECT_EQ(answer.source, ImageCacheSource::Disk);
}

TEST_F(ImageCacheTest, QueryCancelledBeforeItsTurnNeverAnswers) {
    // Hold the disk queue with a slow store so the query waits behind it.
    const QString key = QStringLiteral("http://h/c.png");
    cache.storeImageDataToDisk(pngBytes(), key);
    bool blocker = false;
    cache.storeImage(patternImage(600, 600), QByteArray(), QStringLiteral("slow"), true,
                     [&] { blocker = true; });
    Answer answer;
    auto operation = cache.queryCacheOperationForKey(key, recordInto(answer));
    ASSERT_NE(operation, nullptr);
    operation->cancel();
    ASSERT_TRUE(waitUntil([&] { return blocker; }));
    spin(100);
    EXPECT_FALSE(answer.called);
}

TEST_F(ImageCacheTest, StoreWithoutImageOrKeyStoresNothing) {
    int completions = 0;
    cache.storeImage(QImage(), jpegBytes(), QStringLiteral("k"), true, [&] { ++completions; });
    cache.storeImage(patternImage(4, 4), jpegBytes(), QString(), true, [&] { ++completions; });
    EXPECT_EQ(completions, 2) << "both answered at once";
    EXPECT_EQ(cache.memoryCount(), 0);
    EXPECT_EQ(cache.getDiskCount(), 0);
}

TEST_F(ImageCacheTest, StoreWithoutBytesEncodesByAlpha) {
    const QString opaqueKey = QStringLiteral("opaque");
    const QString alphaKey = QStringLiteral("alpha");
    cache.storeImage(patternImage(8, 8, false), opaqueKey);
    storeAndWait(patternImage(8, 8, true), QByteArray(), alphaKey);
    EXPECT_EQ(imageFormatForImageData(cache.diskImageDataForKey(opaqueKey)), ImageFormat::JPEG);
    EXPECT_EQ(imageFormatForImageData(cache.diskImageDataForKey(alphaKey)), ImageFormat::PNG);
}

TEST_F(ImageCacheTest, ClearDiskLeavesAnEmptyDirectoryAndRemovalIsPerKey) {
    cache.storeImageDataToDisk(jpegBytes(), QStringLiteral("http://h/1.jpg"));
    cache.storeImageDataToDisk(jpegBytes(), QStringLiteral("http://h/2.jpg"));
    EXPECT_EQ(cache.getDiskCount(), 2);
    EXPECT_EQ(cache.getSize(), 2 * jpegBytes().size());

    bool removed = false;
    cache.removeImageForKey(QStringLiteral("http://h/1.jpg"), true, [&] { removed = true; });
    ASSERT_TRUE(waitUntil([&] { return removed; }));
    EXPECT_EQ(cache.getDiskCount(), 1);
    bool called = false;
    cache.removeImageForKey(QString(), true, [&] { called = true; });
    spin(50);
    EXPECT_FALSE(called) << "no key: nothing at all";

    bool cleared = false;
    cache.clearDiskOnCompletion([&] { cleared = true; });
    ASSERT_TRUE(waitUntil([&] { return cleared; }));
    EXPECT_TRUE(QFileInfo(coverDir).isDir());
    EXPECT_TRUE(QDir(coverDir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                       QDir::System));

    qint64 count = -1, bytes = -1;
    cache.calculateSize([&](qint64 c, qint64 b) {
        count = c;
        bytes = b;
    });
    ASSERT_TRUE(waitUntil([&] { return count >= 0; }));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bytes, 0);
}

TEST_F(ImageCacheTest, PruningDropsOldFilesThenTheOldestAboveTheSize) {
    for (int i = 0; i < 4; ++i)
        cache.storeImageDataToDisk(QByteArray(1000, 'x'), QStringLiteral("http://h/%1.jpg").arg(i));
    // Age the first file beyond the limit, and order the rest.
    auto age = [&](int i, qint64 secondsAgo) {
        QFile f(cache.defaultCachePathForKey(QStringLiteral("http://h/%1.jpg").arg(i)));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                      QFileDevice::FileModificationTime);
    };
    age(0, 8 * 24 * 3600);
    age(1, 300);
    age(2, 200);
    age(3, 100);
    ImageCacheConfig config = cache.config();
    config.maxCacheSize = 2500; // 3000 left after expiry: prune below 1250
    cache.setConfig(config);
    bool done = false;
    cache.deleteOldFiles([&] { done = true; });
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_FALSE(cache.diskImageDataExistsWithKey(QStringLiteral("http://h/0.jpg")));
    EXPECT_FALSE(cache.diskImageDataExistsWithKey(QStringLiteral("http://h/1.jpg")));
    EXPECT_FALSE(cache.diskImageDataExistsWithKey(QStringLiteral("http://h/2.jpg")));
    EXPECT_TRUE(cache.diskImageDataExistsWithKey(QStringLiteral("http://h/3.jpg")));
}

TEST_F(ImageCacheTest, MemoryIsBoundedByPixelBytesLeastRecentlyUsedFirst) {
    EXPECT_EQ(cache.maxMemoryCost(), ImageCache::DefaultMaxMemoryCost);
    const QImage tile = patternImage(32, 32); // 4 KiB of pixels
    cache.setMaxMemoryCost(3 * tile.sizeInBytes());
    cache.storeImage(tile, QStringLiteral("a"), false);
    cache.storeImage(tile.copy(), QStringLiteral("b"), false);
    cache.storeImage(tile.copy(), QStringLiteral("c"), false);
    EXPECT_EQ(cache.memoryCost(), 3 * tile.sizeInBytes());
    // Touch "a" so "b" is the least recently used when "d" arrives.
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(QStringLiteral("a")).isNull());
    cache.storeImage(tile.copy(), QStringLiteral("d"), false);
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(QStringLiteral("a")).isNull());
    EXPECT_TRUE(cache.imageFromMemoryCacheForKey(QStringLiteral("b")).isNull());
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(QStringLiteral("c")).isNull());
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(QStringLiteral("d")).isNull());

    // An image bigger than the whole bound is not kept and evicts nothing.
    cache.storeImage(patternImage(64, 64), QStringLiteral("big"), false);
    EXPECT_TRUE(cache.imageFromMemoryCacheForKey(QStringLiteral("big")).isNull());
    EXPECT_EQ(cache.memoryCount(), 3);

    cache.setMaxMemoryCountLimit(1);
    EXPECT_EQ(cache.maxMemoryCountLimit(), 1);
    EXPECT_EQ(cache.memoryCount(), 1);
    cache.setMaxMemoryCountLimit(0);
    cache.setMaxMemoryCost(0); // no bound at all
    cache.storeImage(patternImage(64, 64), QStringLiteral("big"), false);
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(QStringLiteral("big")).isNull());
    cache.clearMemory();
    EXPECT_EQ(cache.memoryCount(), 0);
    EXPECT_EQ(cache.memoryCost(), 0);
}

TEST(SharedImageCache, LivesInTheUsersDataDirectory) {
    EXPECT_TRUE(
        ImageCache::sharedImageCache().diskCachePath().endsWith(QStringLiteral("/Kelvane/cover")));
    EXPECT_EQ(&ImageCache::sharedImageCache(), &ImageCache::sharedImageCache());
}

TEST_F(ImageCacheTest, CoverDirectoryIsTheUsersAlone) {
    constexpr QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                               QFileDevice::WriteUser | QFileDevice::ExeUser;
    // Also a directory an earlier version left open to others.
    QDir().mkpath(coverDir);
    QFile::setPermissions(coverDir, owner | QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
    cache.storeImageDataToDisk(jpegBytes(8, 8, 1), QStringLiteral("http://h/cover.jpg"));
    EXPECT_EQ(QFile::permissions(coverDir) & ~owner, QFileDevice::Permissions());
    bool cleared = false;
    cache.clearDiskOnCompletion([&] { cleared = true; });
    ASSERT_TRUE(waitUntil([&] { return cleared; }));
    EXPECT_EQ(QFile::permissions(coverDir) & ~owner, QFileDevice::Permissions());
}
