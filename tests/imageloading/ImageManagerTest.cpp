#include "ImageTestData.h"

#include "imageloading/ImageBinding.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageCoder.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"
#include "imageloading/ImageTarget.h"
#include "support/HttpServer.h"
#include "support/Wait.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {
struct Load {
    int calls = 0;
    QImage image;
    ImageError error;
    ImageCacheSource source = ImageCacheSource::None;
};

ImageManagerCompletion into(Load &l) {
    return [&l](const QImage &image, const QByteArray &, const ImageError &error,
                ImageCacheSource source, bool, const QUrl &) {
        ++l.calls;
        l.image = image;
        l.error = error;
        l.source = source;
    };
}

// A manager of its own per test: private disk directory, fresh failed-URL set.
class ImageManagerTest : public ::testing::Test {
  protected:
    HttpServer server;
    QTemporaryDir dir;
    ImageCache cache{dir.filePath(QStringLiteral("cover"))};
    ImageDownloader downloader;
    ImageManager manager{cache, downloader};

    Load loadAndWait(const QUrl &url, ImageLoadOptions options = 0) {
        Load l;
        manager.loadImageWithURL(url, options, {}, into(l));
        EXPECT_TRUE(waitUntil([&] { return l.calls > 0; }, 4000)) << url.toString().toStdString();
        return l;
    }
};
} // namespace

TEST_F(ImageManagerTest, NetworkThenDiskThenMemory) {
    server.serveFile(QStringLiteral("/a/cover.jpg"), jpegBytes(50, 40), "image/jpeg");
    const QUrl url = server.url(QStringLiteral("/a/cover.jpg"));
    Load first = loadAndWait(url);
    EXPECT_TRUE(first.error.isNull());
    EXPECT_EQ(first.image.size(), QSize(50, 40));
    EXPECT_EQ(first.source, ImageCacheSource::None);
    ASSERT_TRUE(waitUntil([&] { return cache.diskImageDataExistsWithKey(url.toString()); }));

    // Memory: answered before the call returns.
    Load hot;
    manager.loadImageWithURL(url, 0, {}, into(hot));
    EXPECT_EQ(hot.calls, 1);
    EXPECT_EQ(hot.source, ImageCacheSource::Memory);

    cache.clearMemory();
    Load warm = loadAndWait(url);
    EXPECT_EQ(warm.source, ImageCacheSource::Disk);
    EXPECT_EQ(warm.image.size(), QSize(50, 40));
    EXPECT_EQ(server.hits(QStringLiteral("/a/cover.jpg")), 1);

    // Memory only: nothing new on disk.
    server.serveFile(QStringLiteral("/m.jpg"), jpegBytes(), "image/jpeg");
    const QUrl m = server.url(QStringLiteral("/m.jpg"));
    EXPECT_TRUE(loadAndWait(m, LoadCacheMemoryOnly).error.isNull());
    spin(100);
    EXPECT_FALSE(cache.diskImageDataExistsWithKey(m.toString()));
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(m.toString()).isNull());
}

TEST_F(ImageManagerTest, EmptyUrlFailsWithoutTouchingCacheOrNetwork) {
    Load l;
    manager.loadImageWithURL(QUrl(), 0, {}, into(l));
    EXPECT_EQ(l.calls, 1);
    EXPECT_EQ(l.error.domain, ImageError::URLErrorDomain);
    EXPECT_EQ(l.error.code, -1100);
    Load text;
    manager.loadImageWithURL(QStringLiteral("http://bad host/%zz"), 0, {}, into(text));
    EXPECT_EQ(text.error.code, -1100);
    EXPECT_FALSE(manager.isRunning());
}

TEST_F(ImageManagerTest, UndecodableBodyBlocksTheUrlUntilRestart) {
    server.route(QStringLiteral("/junk.jpg"), HttpResponse{.body = "junk"});
    const QUrl url = server.url(QStringLiteral("/junk.jpg"));
    Load first = loadAndWait(url);
    EXPECT_EQ(first.error.description, QStringLiteral("Downloaded image has 0 pixels"));
    EXPECT_TRUE(manager.isFailedURL(url));

    Load second;
    manager.loadImageWithURL(url, 0, {}, into(second));
    EXPECT_EQ(second.calls, 1) << "blocked URLs answer at once";
    EXPECT_EQ(second.error.code, -1100);
    EXPECT_EQ(server.hits(QStringLiteral("/junk.jpg")), 1);

    // Asking to retry goes to the server again, and a success unblocks.
    server.serveFile(QStringLiteral("/junk.jpg"), jpegBytes(), "image/jpeg");
    EXPECT_TRUE(loadAndWait(url, LoadRetryFailed).error.isNull());
    EXPECT_FALSE(manager.isFailedURL(url));
}

TEST_F(ImageManagerTest, NetworkFailuresAreRetriedLater) {
    downloader.setDownloadTimeout(0.3);
    server.route(QStringLiteral("/missing.jpg"), HttpResponse{.status = 404});
    server.route(QStringLiteral("/same.jpg"), HttpResponse{.status = 304});
    server.route(QStringLiteral("/slow.jpg"), HttpResponse{.hang = true});
    for (const char *path : {"/missing.jpg", "/same.jpg", "/slow.jpg"}) {
        const QUrl url = server.url(QString::fromLatin1(path));
        const Load first = loadAndWait(url);
        EXPECT_EQ(first.error.code, QByteArray(path) == "/slow.jpg" ? -1001 : -999) << path;
        EXPECT_FALSE(manager.isFailedURL(url)) << path;
        loadAndWait(url);
        EXPECT_EQ(server.hits(QString::fromLatin1(path)), 2) << path;
    }
    // Nobody listening: cannot connect, not blocked either.
    QUrl closed = server.url(QStringLiteral("/x.jpg"));
    closed.setPort(1);
    const Load refused = loadAndWait(closed);
    EXPECT_EQ(refused.error.code, -1004);
    EXPECT_FALSE(manager.isFailedURL(closed));
}

TEST_F(ImageManagerTest, CancelledLoadsNeverComplete) {
    server.route(QStringLiteral("/slow.jpg"), HttpResponse{.body = jpegBytes(), .delayMs = 200});
    Load l;
    auto operation =
        manager.loadImageWithURL(server.url(QStringLiteral("/slow.jpg")), 0, {}, into(l));
    EXPECT_TRUE(manager.isRunning());
    spin(50);
    operation->cancel();
    EXPECT_FALSE(manager.isRunning());
    spin(400);
    EXPECT_EQ(l.calls, 0);
}

TEST_F(ImageManagerTest, FromCacheOnlyNeverDownloads) {
    server.serveFile(QStringLiteral("/c.jpg"), jpegBytes(), "image/jpeg");
    const Load l = loadAndWait(server.url(QStringLiteral("/c.jpg")), LoadFromCacheOnly);
    EXPECT_TRUE(l.image.isNull());
    EXPECT_TRUE(l.error.isNull());
    EXPECT_EQ(l.source, ImageCacheSource::None);
    EXPECT_EQ(server.hits(QStringLiteral("/c.jpg")), 0);
}

// ---------------------------------------------------------------- binding

TEST_F(ImageManagerTest, BindingShowsPlaceholderThenImage) {
    server.serveFile(QStringLiteral("/b.jpg"), jpegBytes(21, 21), "image/jpeg");
    const QImage placeholder = patternImage(3, 3);
    ImageBinding binding(nullptr, &manager);
    QSignalSpy changed(&binding, &ImageBinding::imageChanged);
    binding.setImageWithURL(7, server.url(QStringLiteral("/b.jpg")), placeholder);
    EXPECT_EQ(binding.image(7).cacheKey(), placeholder.cacheKey());
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(binding.isLoading(7));
    ASSERT_TRUE(waitUntil([&] { return binding.image(7).size() == QSize(21, 21); }));
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.last().at(0).toULongLong(), 7u);
    EXPECT_FALSE(binding.isLoading(7));

    // In memory now: a second key gets it before the call returns, placeholder or not.
    binding.setImageWithURL(8, server.url(QStringLiteral("/b.jpg")), placeholder);
    EXPECT_EQ(binding.image(8).size(), QSize(21, 21));
    EXPECT_FALSE(binding.isLoading(8));
}

TEST_F(ImageManagerTest, BindingKeepsThePlaceholderWhenTheLoadFails) {
    server.route(QStringLiteral("/gone.jpg"), HttpResponse{.status = 404});
    const QImage placeholder = patternImage(3, 3);
    ImageTarget target(nullptr, &manager);
    ImageError error;
    bool done = false;
    target.setImageWithURL(
        server.url(QStringLiteral("/gone.jpg")), placeholder, 0,
        [&](const QImage &, const ImageError &e, ImageCacheSource, const QUrl &) {
            error = e;
            done = true;
        });
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_EQ(error.code, -999);
    EXPECT_EQ(target.image().cacheKey(), placeholder.cacheKey());

    done = false;
    target.setImageWithURL(
        QUrl(), placeholder, 0,
        [&](const QImage &, const ImageError &e, ImageCacheSource, const QUrl &) {
            error = e;
            done = true;
        });
    EXPECT_TRUE(done);
    EXPECT_EQ(error.domain, ImageError::ImageErrorDomain);
    EXPECT_EQ(error.code, -1);
    EXPECT_EQ(error.description, QStringLiteral("Trying to load a nil url"));
}

TEST_F(ImageManagerTest, ANewUrlForATargetCancelsTheOldOne) {
    server.route(QStringLiteral("/old.jpg"),
                 HttpResponse{.body = jpegBytes(11, 11), .delayMs = 300});
    server.serveFile(QStringLiteral("/new.jpg"), jpegBytes(22, 22), "image/jpeg");
    ImageTarget target(nullptr, &manager);
    QList<QSize> shown;
    QObject::connect(&target, &ImageTarget::imageChanged,
                     [&](const QImage &image) { shown << image.size(); });
    target.setImageWithURL(server.url(QStringLiteral("/old.jpg")), patternImage(1, 1));
    ASSERT_TRUE(waitUntil([&] { return server.hits(QStringLiteral("/old.jpg")) == 1; }));
    target.setImageWithURL(server.url(QStringLiteral("/new.jpg")), patternImage(2, 2));
    ASSERT_TRUE(waitUntil([&] { return target.image().size() == QSize(22, 22); }));
    spin(500);
    EXPECT_FALSE(shown.contains(QSize(11, 11))) << "the first image must never be shown";
    EXPECT_EQ(target.image().size(), QSize(22, 22));
    EXPECT_EQ(target.imageURL(), server.url(QStringLiteral("/new.jpg")));
}

TEST_F(ImageManagerTest, ForgottenKeysStopLoadingAndSharedDownloadsSurvive) {
    server.route(QStringLiteral("/shared.jpg"),
                 HttpResponse{.body = jpegBytes(9, 9), .delayMs = 200});
    const QUrl url = server.url(QStringLiteral("/shared.jpg"));
    ImageBinding binding(nullptr, &manager);
    binding.setImageWithURL(1, url, {});
    binding.setImageWithURL(2, url, {});
    EXPECT_EQ(binding.loadingCount(), 2);
    binding.forget(1); // scrolled away
    EXPECT_FALSE(binding.contains(1));
    ASSERT_TRUE(waitUntil([&] { return !binding.image(2).isNull(); }));
    EXPECT_TRUE(binding.image(1).isNull());
    EXPECT_EQ(server.hits(QStringLiteral("/shared.jpg")), 1);

    // Everyone gone: the download is cancelled and nothing is cached.
    server.route(QStringLiteral("/hang.jpg"), HttpResponse{.hang = true});
    binding.setImageWithURL(3, server.url(QStringLiteral("/hang.jpg")), {});
    ASSERT_TRUE(waitUntil([&] { return downloader.currentDownloadCount() == 1; }));
    binding.forgetAll();
    EXPECT_TRUE(waitUntil([&] { return downloader.currentDownloadCount() == 0; }));
    EXPECT_FALSE(manager.isRunning());
}

TEST_F(ImageManagerTest, DelayedPlaceholderAppearsOnlyOnFailure) {
    server.route(QStringLiteral("/gone.jpg"), HttpResponse{.status = 404});
    const QImage placeholder = patternImage(3, 3);
    ImageBinding binding(nullptr, &manager);
    binding.setImageWithURL(1, server.url(QStringLiteral("/gone.jpg")), placeholder,
                            LoadDelayPlaceholder);
    EXPECT_TRUE(binding.image(1).isNull());
    ASSERT_TRUE(waitUntil([&] { return !binding.image(1).isNull(); }));
    EXPECT_EQ(binding.image(1).cacheKey(), placeholder.cacheKey());
}

TEST_F(ImageManagerTest, LocalAddressesFailAtOnceAsInvalid) {
    const QString picture = dir.filePath(QStringLiteral("local.jpg"));
    {
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jpegBytes());
    }
    // A pipe nobody writes to: opening it would block the caller for good.
    const QString pipe = dir.filePath(QStringLiteral("logo.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QUrl localPicture = QUrl::fromLocalFile(picture);
    // Even a copy cached before is not shown.
    cache.storeImageDataToDisk(jpegBytes(), manager.cacheKeyForURL(localPicture));
    for (const QUrl &url : {localPicture, QUrl::fromLocalFile(pipe),
                            QUrl(QStringLiteral("ftp://127.0.0.1/cover.jpg")),
                            QUrl(QStringLiteral("data:image/jpeg;base64,/9j/4AAQ"))}) {
        Load l;
        manager.loadImageWithURL(url, 0, {}, into(l));
        EXPECT_EQ(l.calls, 1) << url.toString().toStdString() << ": answered at once";
        EXPECT_EQ(l.error.domain, ImageError::URLErrorDomain);
        EXPECT_EQ(l.error.code, URLError::FileDoesNotExist);
        EXPECT_TRUE(l.image.isNull());
    }
    EXPECT_FALSE(manager.isRunning());
    EXPECT_EQ(cache.getDiskCount(), 1) << "nothing local was copied into the cache";
}

TEST_F(ImageManagerTest, DisplaySizePicturesInMemoryOriginalBytesOnDisk) {
    const QByteArray original = jpegBytes(600, 400);
    server.serveFile(QStringLiteral("/big.jpg"), original, "image/jpeg");
    const QUrl url = server.url(QStringLiteral("/big.jpg"));
    const QString key = manager.cacheKeyForURL(url);
    const QSize cell(160, 160);
    const QSize shown = sizeCovering(QSize(600, 400), cell);

    Load cold;
    manager.loadImageWithURL(url, 0, {}, into(cold), cell);
    ASSERT_TRUE(waitUntil([&] { return cold.calls > 0; }));
    EXPECT_EQ(cold.image.size(), shown);
    EXPECT_EQ(cold.source, ImageCacheSource::None);
    // The disk keeps what the server sent, so a large view still gets every pixel.
    ASSERT_TRUE(waitUntil([&] { return cache.diskImageDataExistsWithKey(key); }));
    EXPECT_EQ(cache.diskImageDataForKey(key), original);
    EXPECT_TRUE(cache.imageFromMemoryCacheForKey(key).isNull());
    EXPECT_EQ(cache.imageFromMemoryCacheForKey(ImageCache::memoryKeyForKey(key, cell)).size(),
              shown);

    Load hot;
    manager.loadImageWithURL(url, 0, {}, into(hot), cell);
    EXPECT_EQ(hot.calls, 1) << "a memory hit at that size answers at once";
    EXPECT_EQ(hot.source, ImageCacheSource::Memory);
    EXPECT_EQ(hot.image.size(), shown);

    // No size: the whole picture, from disk, without a second download.
    Load whole = loadAndWait(url);
    EXPECT_EQ(whole.source, ImageCacheSource::Disk);
    EXPECT_EQ(whole.image.size(), QSize(600, 400));
    // Another size, after a restart: decoded from disk at that size.
    cache.clearMemory();
    Load small;
    manager.loadImageWithURL(url, 0, {}, into(small), QSize(60, 60));
    ASSERT_TRUE(waitUntil([&] { return small.calls > 0; }));
    EXPECT_EQ(small.source, ImageCacheSource::Disk);
    EXPECT_EQ(small.image.size(), QSize(90, 60));
    EXPECT_EQ(server.hits(QStringLiteral("/big.jpg")), 1);

    // Removing the key drops every size from memory.
    bool removed = false;
    cache.removeImageForKey(key, true, [&] { removed = true; });
    ASSERT_TRUE(waitUntil([&] { return removed; }));
    EXPECT_EQ(cache.memoryCount(), 0);
}

TEST_F(ImageManagerTest, CallersOfOneUrlShareTheDownloadEachAtItsSize) {
    server.route(QStringLiteral("/shared.jpg"),
                 HttpResponse{.body = jpegBytes(500, 500), .delayMs = 100});
    const QUrl url = server.url(QStringLiteral("/shared.jpg"));
    Load grid, bar, whole;
    manager.loadImageWithURL(url, 0, {}, into(grid), QSize(160, 160));
    manager.loadImageWithURL(url, 0, {}, into(bar), QSize(60, 60));
    manager.loadImageWithURL(url, 0, {}, into(whole));
    ASSERT_TRUE(waitUntil([&] { return grid.calls && bar.calls && whole.calls; }));
    EXPECT_EQ(grid.image.size(), QSize(160, 160));
    EXPECT_EQ(bar.image.size(), QSize(60, 60));
    EXPECT_EQ(whole.image.size(), QSize(500, 500));
    EXPECT_EQ(server.hits(QStringLiteral("/shared.jpg")), 1);
    // A binding target asks at its size too.
    ImageTarget target(nullptr, &manager);
    target.setImageWithURL(url, QImage(), 0, {}, QSize(100, 100));
    EXPECT_TRUE(waitUntil([&] { return target.image().size() == QSize(100, 100); }));
    EXPECT_EQ(server.hits(QStringLiteral("/shared.jpg")), 1) << "decoded from disk";
}
