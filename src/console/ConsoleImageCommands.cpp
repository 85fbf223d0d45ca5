// Console commands of the image loader: load one image through the manager, name a
// cache file, purge both cache levels.
#include "console/Console.h"
#include "console/ConsoleCommand.h"
#include "console/ConsoleWait.h"
#include "console/ConsoleWriter.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QUrl>

namespace kelvane {

namespace {

// The console answers one line at a time, in order. A nested event loop would also run
// the stdin lines queued behind this command, so the wait below delivers only the
// events the loader hands to the application object (its completions), and the
// downloader runs its operations on a thread of its own meanwhile.
ImageManager &consoleManager() {
    static ImageManager *manager = [] {
        auto *thread = new QThread;
        thread->setObjectName(QStringLiteral("console-images"));
        auto *downloader = new ImageDownloader;
        downloader->moveToThread(thread);
        QObject::connect(thread, &QThread::finished, downloader, &QObject::deleteLater);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, thread, [thread] {
            thread->quit();
            thread->wait();
        });
        thread->start();
        return new ImageManager(ImageCache::sharedImageCache(), *downloader);
    }();
    return *manager;
}

void imageCommand(Console &, const QString &argument) {
    bool done = false;
    consoleManager().loadImageWithURL(
        argument.trimmed(), 0, {},
        [&done](const QImage &image, const QByteArray &, const ImageError &error,
                ImageCacheSource source, bool finished, const QUrl &) {
            if (!finished || done) return;
            done = true;
            if (!image.isNull()) {
                ConsoleWriter::line({QStringLiteral("image"), QString::number(image.width()),
                                     QString::number(image.height()),
                                     imageCacheSourceName(source)});
            } else if (error) {
                ConsoleWriter::line({QStringLiteral("image-error"), error.domain,
                                     QString::number(error.code), error.description});
            } else {
                // Only reachable with options this command does not use; say so plainly.
                ConsoleWriter::line({QStringLiteral("image-error"), ImageError::ImageErrorDomain,
                                     QStringLiteral("0"), QStringLiteral("Image data is nil")});
            }
        });
    deliverUntil([&] { return done; }, QEvent::MetaCall, QCoreApplication::instance());
}

void cachefileCommand(Console &, const QString &argument) {
    ConsoleWriter::line({QStringLiteral("cachefile"), ImageCache::cachedFileNameForKey(argument)});
}

void purgeCommand(Console &, const QString &) {
    ImageCache &cache = ImageCache::sharedImageCache();
    cache.clearMemory();
    bool done = false;
    cache.clearDiskOnCompletion([&done] { done = true; });
    deliverUntil([&] { return done; }, QEvent::MetaCall, QCoreApplication::instance());
    ConsoleWriter::line({QStringLiteral("purged")});
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("image"), &imageCommand},
    {QLatin1StringView("cachefile"), &cachefileCommand},
    {QLatin1StringView("purge"), &purgeCommand},
};

} // namespace

std::span<const ConsoleCommand> imageCommands() {
    return commands;
}

} // namespace kelvane
