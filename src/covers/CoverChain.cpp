#include "covers/CoverChain.h"

#include "core/library/CoverAddress.h"
#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDSocket.h"
#include "core/mpd/PlayerEvents.h"
#include "core/settings/Setting.h"
#include "core/thread/MainThread.h"
#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"

#include <QPointer>
#include <QTimer>

namespace kelvane {

namespace {
// The web server cannot be reached at all: asking it for the next album is no use.
bool isUnreachable(const ImageError &error) {
    if (error.domain != ImageError::URLErrorDomain) return false;
    switch (error.code) {
    case URLError::TimedOut:
    case URLError::CannotFindHost:
    case URLError::CannotConnectToHost:
    case URLError::NotConnectedToInternet:
        return true;
    default:
        return false;
    }
}

CoverOrigin cachedOrigin(ImageCacheSource source) {
    switch (source) {
    case ImageCacheSource::Memory:
        return CoverOrigin::Memory;
    case ImageCacheSource::Disk:
        return CoverOrigin::Disk;
    case ImageCacheSource::None:
        break;
    }
    return CoverOrigin::Http;
}

ImageCacheSource cacheSourceOf(CoverOrigin origin) {
    switch (origin) {
    case CoverOrigin::Memory:
        return ImageCacheSource::Memory;
    case CoverOrigin::Disk:
        return ImageCacheSource::Disk;
    default:
        return ImageCacheSource::None;
    }
}

QString serverOf(const QUrl &url) {
    return url.host(QUrl::FullyEncoded) + QLatin1Char(':') + QString::number(url.port(80));
}
} // namespace

struct CoverChain::Job {
    CoverRequest request;
    QSize targetSize;
    QUrl web;
    QString serverLabel; // empty when not connected
    std::shared_ptr<ImageCombinedOperation> operation;
    Completion done;
    bool leftWeb = false; // went on to the server before its web answer came

    QString missingKey() const { return serverLabel + QLatin1Char('\n') + request.albumPath; }
    bool cancelled() const { return operation->isCancelled(); }
};

CoverChain &CoverChain::sCoverChain() {
    static std::shared_ptr<CoverChain> chain = install(ImageManager::sharedManager());
    return *chain;
}

std::shared_ptr<CoverChain> CoverChain::install(ImageManager &manager) {
    auto chain = std::make_shared<CoverChain>(manager, MPDPictures::sMPDPictures());
    manager.setSourceForScheme(CoverRequest::scheme, chain);
    return chain;
}

CoverChain::CoverChain(ImageManager &manager, MPDPictures &pictures)
    : m_manager(manager), m_pictures(pictures) {
    // One reader per picture connection, and as many again decoding and storing what
    // the others read, so the connections do not stand idle while a picture decodes.
    m_pool.setMaxThreadCount(readerThreads);
    m_pool.setObjectName(QStringLiteral("cover-reads"));
}

void CoverChain::followServer() {
    if (m_following) return;
    m_following = true;
    connect(&MPDSocket::sMPDSocket(), &MPDSocket::linkChanged, this, [this](MPDSocket::Link link) {
        if (link == MPDSocket::Link::Up) resetSession();
    });
    connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::databaseChanged, this,
            &CoverChain::forgetMissing);
}

CoverChain::~CoverChain() {
    m_pool.clear();
    m_pool.waitForDone();
}

bool CoverChain::serverCoversEnabled() {
    return Setting::sSetting().mpdCovers();
}

QString CoverChain::serverCacheKey(const QString &serverLabel, const QString &albumPath) {
    // Reads as an address whose last segment has no extension, so the disk file is the
    // bare digest; the label is escaped whole (a socket path holds slashes).
    return QStringLiteral("mpd://") +
           QString::fromLatin1(serverLabel.toUtf8().toPercentEncoding()) + QLatin1Char('/') +
           CoverAddress::encodePath(albumPath) + QStringLiteral("/cover");
}

void CoverChain::resetSession() {
    ++m_generation;
    m_webState = WebState::Unknown;
    m_missing.clear();
    // Loads waiting for a probe of the old session would wait for nothing.
    releaseWaiting();
    Q_EMIT coversInvalidated();
}

void CoverChain::forgetMissing() {
    ++m_generation;
    m_missing.clear();
    // Cover files may have come or gone: every album is asked in the usual order again.
    m_answered.clear();
    m_pictures.renewConnections();
    Q_EMIT coversInvalidated();
}

std::shared_ptr<ImageCombinedOperation> CoverChain::load(const QUrl &url, ImageLoadOptions,
                                                         QSize targetSize,
                                                         ImageManagerCompletion completed) {
    const std::optional<CoverRequest> request = CoverRequest::parse(url);
    if (!request) {
        auto operation = std::make_shared<ImageCombinedOperation>(nullptr);
        if (completed)
            runOnMainThread([completed, url] {
                completed({}, {},
                          ImageError::url(URLError::BadURL, QStringLiteral("Not a cover address")),
                          ImageCacheSource::None, true, url);
            });
        return operation;
    }
    return loadCover(
        *request, targetSize, [completed, url](const QImage &image, CoverOrigin origin) {
            if (!completed) return;
            const ImageError error =
                image.isNull() ? ImageError::image(0, QStringLiteral("No cover for this album"))
                               : ImageError();
            completed(image, {}, error, cacheSourceOf(origin), true, url);
        });
}

std::shared_ptr<ImageCombinedOperation> CoverChain::loadCover(const CoverRequest &request,
                                                              QSize targetSize, Completion done) {
    auto job = std::make_shared<Job>();
    job->request = request;
    job->targetSize = targetSize.isEmpty() ? QSize() : targetSize;
    job->web = CoverAddress::gridAddress(request.albumPath);
    job->operation = std::make_shared<ImageCombinedOperation>(nullptr);
    job->done = std::move(done);
    if (!serverCoversEnabled()) {
        webOnly(job);
        return job->operation;
    }
    job->serverLabel = m_pictures.serverLabel();
    const QString server = serverOf(job->web);
    if (server != m_webServer) {
        // Another web server (new settings): what was learnt of the old one is void.
        m_webServer = server;
        ++m_generation;
        m_webState = WebState::Unknown;
        releaseWaiting();
    }
    cachedWeb(job);
    return job->operation;
}

void CoverChain::finish(const JobPtr &job, const QImage &image, CoverOrigin origin) {
    if (job->cancelled() || !job->done) return;
    // Once only, whatever calls back late.
    const Completion done = std::exchange(job->done, {});
    done(image, image.isNull() ? CoverOrigin::None : origin);
}

void CoverChain::webOnly(const JobPtr &job) {
    auto child = m_manager.loadImageWithURL(
        job->web, 0, {},
        [this, job](const QImage &image, const QByteArray &, const ImageError &,
                    ImageCacheSource source, bool finished, const QUrl &) {
            if (finished) finish(job, image, cachedOrigin(source));
        },
        job->targetSize);
    job->operation->setChildOperation(std::move(child));
}

void CoverChain::cachedWeb(const JobPtr &job) {
    auto child = m_manager.loadImageWithURL(
        job->web, LoadFromCacheOnly, {},
        [this, job](const QImage &image, const QByteArray &, const ImageError &,
                    ImageCacheSource source, bool finished, const QUrl &) {
            if (!finished || job->cancelled()) return;
            if (!image.isNull())
                finish(job, image, cachedOrigin(source));
            else
                cachedServer(job);
        },
        job->targetSize);
    job->operation->setChildOperation(std::move(child));
}

void CoverChain::cachedServer(const JobPtr &job) {
    if (job->serverLabel.isEmpty()) {
        fromWeb(job);
        return;
    }
    auto query = m_manager.imageCache().queryCacheOperationForKey(
        serverCacheKey(job->serverLabel, job->request.albumPath), 0,
        [this, job](const QImage &image, const QByteArray &, ImageCacheSource source) {
            if (job->cancelled()) return;
            if (!image.isNull())
                finish(job, image, cachedOrigin(source));
            else
                fromWeb(job);
        },
        job->targetSize);
    job->operation->setCacheOperation(std::move(query));
}

void CoverChain::fromWeb(const JobPtr &job) {
    if (job->cancelled()) return;
    if (m_missing.contains(job->missingKey())) {
        finish(job, {}, CoverOrigin::None);
        return;
    }
    if (!job->web.isValid() || job->web.isEmpty()) {
        fromServer(job);
        return;
    }
    switch (m_webState) {
    case WebState::Dead:
    case WebState::Slow:
        fromServer(job);
        return;
    case WebState::Probing:
        m_waiting.append(job);
        return;
    case WebState::Unknown: {
        m_webState = WebState::Probing;
        const quint64 generation = m_generation;
        QTimer::singleShot(m_probeGraceMs, this, [this, generation, job] {
            if (generation != m_generation || m_webState != WebState::Probing) return;
            m_webState = WebState::Slow;
            // The probe's own album does not wait for the time-out either.
            job->leftWeb = true;
            fromServer(job);
            releaseWaiting();
        });
        fetchWeb(job, true);
        return;
    }
    case WebState::Alive:
        fetchWeb(job, false);
        return;
    }
}

void CoverChain::fetchWeb(const JobPtr &job, bool probe) {
    QPointer<CoverChain> self(this);
    const quint64 generation = m_generation;
    auto child = m_manager.loadImageWithURL(
        job->web, 0, {},
        [self, job, probe, generation](const QImage &image, const QByteArray &,
                                       const ImageError &error, ImageCacheSource source,
                                       bool finished, const QUrl &) {
            if (self && finished) self->webAnswered(job, probe, generation, image, error, source);
        },
        job->targetSize);
    // The first web load settles the server's state for every album waiting on it: it
    // runs to its end even when its own album scrolls away.
    if (!probe) job->operation->setChildOperation(std::move(child));
}

void CoverChain::webAnswered(const JobPtr &job, bool probe, quint64 generation, const QImage &image,
                             const ImageError &error, ImageCacheSource source) {
    if (generation == m_generation) {
        if (image.isNull() && isUnreachable(error)) {
            m_webState = WebState::Dead;
            releaseWaiting();
        } else if (probe) {
            m_webState = WebState::Alive;
            releaseWaiting();
        }
    }
    if (job->cancelled() || job->leftWeb) return;
    if (!image.isNull())
        finish(job, image, cachedOrigin(source));
    else
        fromServer(job);
}

void CoverChain::releaseWaiting() {
    const QList<JobPtr> waiting = std::exchange(m_waiting, {});
    for (const JobPtr &job : waiting)
        fromWeb(job);
}

std::array<mpdc::PictureKind, 2> CoverChain::askingOrder(const JobPtr &job) const {
    constexpr std::array<mpdc::PictureKind, 2> fileFirst = {mpdc::PictureKind::CoverFile,
                                                            mpdc::PictureKind::Embedded};
    constexpr std::array<mpdc::PictureKind, 2> embeddedFirst = {mpdc::PictureKind::Embedded,
                                                                mpdc::PictureKind::CoverFile};
    // Only what this album answered before changes the order: a cover file, when the
    // album has one, stays the picture shown, as it is for an album never asked.
    const auto answered = m_answered.constFind(job->missingKey());
    if (answered != m_answered.constEnd() && *answered == mpdc::PictureKind::Embedded)
        return embeddedFirst;
    return fileFirst;
}

void CoverChain::learnAnswer(const JobPtr &job, CoverOrigin origin) {
    if (origin != CoverOrigin::AlbumArt && origin != CoverOrigin::ReadPicture) return;
    m_answered.insert(job->missingKey(), origin == CoverOrigin::ReadPicture
                                             ? mpdc::PictureKind::Embedded
                                             : mpdc::PictureKind::CoverFile);
}

void CoverChain::fromServer(const JobPtr &job) {
    if (job->cancelled()) return;
    if (job->serverLabel.isEmpty()) {
        // Not connected: nobody was asked, so nothing is learnt about the album.
        finish(job, {}, CoverOrigin::None);
        return;
    }
    QPointer<CoverChain> self(this);
    const quint64 generation = m_generation;
    const qint64 maxBytes = m_manager.imageDownloader().maxBodyBytes();
    ImageCache *cache = &m_manager.imageCache();
    MPDPictures *pictures = &m_pictures;
    const std::array<mpdc::PictureKind, 2> order = askingOrder(job);
    m_pool.start([self, job, generation, maxBytes, cache, pictures, order] {
        QImage image;
        CoverOrigin origin = CoverOrigin::None;
        bool unsure = false; // a read broke: the album may well have a picture
        const QString &song = job->request.songUri;
        for (const auto kind : order) {
            if (job->cancelled()) return;
            if (song.isEmpty()) break;
            if (pictures->serverLabel() != job->serverLabel) {
                // Reconnected elsewhere meanwhile: this server's picture is not that one's.
                unsure = true;
                break;
            }
            const MPDPictures::Result read = pictures->fetch(kind, song, maxBytes);
            if (read.outcome == MPDPictures::Outcome::Failed) unsure = true;
            if (read.outcome != MPDPictures::Outcome::Found) continue;
            // Bytes that do not decode (or decode too large) count as no picture: the
            // next step may have a good one.
            image = ImageCodersManager::sharedInstance().decodedImageWithData(read.bytes,
                                                                              job->targetSize);
            if (image.isNull()) continue;
            origin = kind == mpdc::PictureKind::CoverFile ? CoverOrigin::AlbumArt
                                                          : CoverOrigin::ReadPicture;
            cache->storeImage(image, read.bytes,
                              serverCacheKey(job->serverLabel, job->request.albumPath), true, {},
                              job->targetSize);
            break;
        }
        postToMainThread([self, job, generation, image, origin, unsure] {
            if (!self) return;
            if (image.isNull() && !unsure && generation == self->m_generation)
                self->m_missing.insert(job->missingKey());
            if (generation == self->m_generation) self->learnAnswer(job, origin);
            self->finish(job, image, origin);
        });
    });
}

} // namespace kelvane
