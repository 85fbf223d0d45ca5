#pragma once

#include "covers/CoverOrigin.h"
#include "covers/CoverRequest.h"
#include "imageloading/ImageCache.h"
#include "imageloading/ImageSource.h"
#include "mpdc/Records.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <array>
#include <functional>
#include <memory>

namespace kelvane {

struct ImageError;
class ImageManager;
class MPDPictures;

// An album's cover from the first place that has it: the web server of the cover
// address rule (while it can be reached), then the server's cover file beside a song of
// the album, then the picture embedded in that song. Each step is asked only when the
// ones before had nothing; both caches are asked before any of them. With covers from
// the server turned off in the preferences, a load is exactly a web load.
//
// Two things are learnt once per session instead of once per album:
//   - a web server that cannot be reached at all (refused, unknown host, time-out):
//     the first such failure sends every other album straight to the server, and while
//     the first web answer is awaited the other albums wait for it rather than knock too
//     (for a second at most: a web server that hangs would otherwise hold every cover
//     for its whole time-out);
//   - an album nobody has a picture for: asked again only after a database update, a
//     cache purge, a reconnection or saved preferences.
// Pictures from the server are cached (memory and disk) under a key naming the server
// and the album, so two servers never share one and a restart asks nobody.
//
// Thread: the application's (the GUI thread, or the console's main thread) for every
// call and every completion; server reads and their decoding run on a pool of its own.
class CoverChain : public QObject, public ImageSource {
    Q_OBJECT
  public:
    // The chain of the shared image manager, installed for CoverRequest addresses on
    // first use. It follows the server once the application asks (followServer()).
    static CoverChain &sCoverChain();
    // Builds a chain on manager and installs it there.
    static std::shared_ptr<CoverChain> install(ImageManager &manager);

    CoverChain(ImageManager &manager, MPDPictures &pictures);
    ~CoverChain() override;
    // Resets on a new connection and forgets missing covers on a database update.
    void followServer();

    using Completion = std::function<void(const QImage &image, CoverOrigin origin)>;
    // The cover decoded for targetSize (invalid: full size), or a null image with
    // origin None. done is called once on this thread (before returning for a memory
    // hit) unless the handle is cancelled first.
    std::shared_ptr<ImageCombinedOperation> loadCover(const CoverRequest &request, QSize targetSize,
                                                      Completion done);
    std::shared_ptr<ImageCombinedOperation> load(const QUrl &url, ImageLoadOptions options,
                                                 QSize targetSize,
                                                 ImageManagerCompletion completed) override;

    // Whether the server is asked (the preferences' check box).
    static bool serverCoversEnabled();
    // Saved preferences, a new connection: the web server gets another chance and
    // missing covers are looked for again.
    void resetSession();
    // A database update or a cache purge: missing covers are looked for again.
    void forgetMissing();

    // Dead, or too slow to give its first answer within the grace below.
    bool isWebServerDead() const {
        return m_webState == WebState::Dead || m_webState == WebState::Slow;
    }
    // How long other albums wait for the web server's first answer before they go to
    // the MPD server without it (the web server's answer, when it comes, still counts
    // for the albums after).
    void setProbeGrace(int milliseconds) { m_probeGraceMs = milliseconds; }
    static constexpr int defaultProbeGraceMs = 1000;
    // Threads reading, decoding and storing pictures from the server.
    static inline int readerThreads = 4;

    // The cache key of the cover the server at serverLabel gave for albumPath.
    static QString serverCacheKey(const QString &serverLabel, const QString &albumPath);

  Q_SIGNALS:
    // Covers shown as missing may be found now: views ask again.
    void coversInvalidated();

  private:
    struct Job;
    using JobPtr = std::shared_ptr<Job>;
    enum class WebState { Unknown, Probing, Alive, Dead, Slow };

    void webOnly(const JobPtr &job);
    void cachedWeb(const JobPtr &job);
    void cachedServer(const JobPtr &job);
    void fromWeb(const JobPtr &job);
    void fetchWeb(const JobPtr &job, bool probe);
    void webAnswered(const JobPtr &job, bool probe, quint64 generation, const QImage &image,
                     const ImageError &error, ImageCacheSource source);
    void fromServer(const JobPtr &job);
    // Which picture the server is asked for first: the embedded one only for an album
    // it answered before.
    std::array<mpdc::PictureKind, 2> askingOrder(const JobPtr &job) const;
    void learnAnswer(const JobPtr &job, CoverOrigin origin);
    void finish(const JobPtr &job, const QImage &image, CoverOrigin origin);
    void releaseWaiting();

    ImageManager &m_manager;
    MPDPictures &m_pictures;
    QThreadPool m_pool;
    WebState m_webState = WebState::Unknown;
    QString m_webServer;     // the host (and port) m_webState is about
    QList<JobPtr> m_waiting; // for the web server's first answer
    QSet<QString> m_missing;
    // Per album (server and directory), which request answered it.
    QHash<QString, mpdc::PictureKind> m_answered;
    quint64 m_generation = 0;
    int m_probeGraceMs = defaultProbeGraceMs;
    bool m_following = false;
};

} // namespace kelvane
