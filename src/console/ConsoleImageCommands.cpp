// Console commands of the image loader: load one image through the manager, load an
// album's cover through the cover chain, name a cache file, purge both cache levels.
#include "console/Console.h"
#include "console/ConsoleCommand.h"
#include "console/ConsoleWait.h"
#include "console/ConsoleWriter.h"
#include "core/library/MPDAlbum.h"
#include "covers/CoverChain.h"
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

CoverChain &consoleChain() {
    static std::shared_ptr<CoverChain> chain = [] {
        auto installed = CoverChain::install(consoleManager());
        installed->followServer();
        return installed;
    }();
    return *chain;
}

// The album's cover as the grid would show it (same settings, same chain), full size.
void albumcoverCommand(Console &, const QString &argument) {
    const QString path = argument.trimmed();
    CoverRequest request{path, QString()};
    if (const auto list = MPDAlbum::sMPDAlbum().getAlbumsList()) {
        for (const Album &album : *list) {
            if (album.path == path) {
                request.songUri = album.firstSong;
                break;
            }
        }
    }
    bool done = false;
    QImage found;
    CoverOrigin origin = CoverOrigin::None;
    auto load = consoleChain().loadCover(request, {}, [&](const QImage &image, CoverOrigin from) {
        found = image;
        origin = from;
        done = true;
    });
    deliverUntil([&] { return done; }, QEvent::MetaCall, QCoreApplication::instance());
    if (found.isNull()) {
        ConsoleWriter::line({QStringLiteral("albumcover"), QString(), QString(),
                             coverOriginName(CoverOrigin::None)});
        return;
    }
    ConsoleWriter::line({QStringLiteral("albumcover"), QString::number(found.width()),
                         QString::number(found.height()), coverOriginName(origin)});
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
    consoleChain().forgetMissing();
    ConsoleWriter::line({QStringLiteral("purged")});
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("image"), &imageCommand},
    {QLatin1StringView("albumcover"), &albumcoverCommand},
    {QLatin1StringView("cachefile"), &cachefileCommand},
    {QLatin1StringView("purge"), &purgeCommand},
};

} // namespace

std::span<const ConsoleCommand> imageCommands() {
    return commands;
}

} // namespace kelvane
