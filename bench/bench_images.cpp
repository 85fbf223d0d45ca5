// Cover loading through the image manager against the local HTTP server:
// 2,000 distinct 500×500 JPEG covers loaded cold (network), warm (disk, after the memory
// level is emptied as on a restart) and hot (memory), beside six parallel curl processes
// fetching the same files in the same run. Covers are asked at the grid's display size
// (160×160 device pixels) unless --display 0 asks for the whole pictures. Reports wall
// times and the peak resident memory of each phase.
//
//   bench_images [--covers 2000] [--size 500] [--display 160] [--rounds 2]
#include "imageloading/ImageCache.h"
#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"
#include "support/HttpServer.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <utility>

using namespace kelvane;

namespace {

// Resident memory high-water mark of this process, in MiB.
double peakResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// Resident memory now, in MiB.
double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// Starts a new high-water mark from the current resident size (Linux 4.0+).
void resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

QImage baseArtwork(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = qRgb((x * 3 + y) & 0xFF, (y * 2 + (x ^ y)) & 0xFF, ((x * y) >> 6) & 0xFF);
    }
    return image;
}

// A distinct, photo-like cover: the base picture with blocks of colour on top.
QByteArray coverJpeg(const QImage &base, int index) {
    QImage image = base.copy();
    QRandomGenerator rng(quint32(index) * 2654435761u);
    QPainter p(&image);
    for (int i = 0; i < 12; ++i) {
        const int w = 20 + int(rng.bounded(image.width() / 2));
        const int h = 20 + int(rng.bounded(image.height() / 2));
        p.fillRect(int(rng.bounded(image.width() - w)), int(rng.bounded(image.height() - h)), w, h,
                   QColor::fromRgb(rng.generate()));
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

// A bare keep-alive file server with Nagle off, on a thread of its own. The fixture
// server answers in two writes without TCP_NODELAY, so every answer of more than a few
// segments waits for the client's delayed acknowledgement (~40 ms): that bound hides
// the cost of the client. Both servers are measured; this one shows the client's own.
class QuickFileServer : public QObject {
  public:
    explicit QuickFileServer(const QString &root) : m_root(root) {
        m_thread.start();
        moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            this, [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~QuickFileServer() override {
        QMetaObject::invokeMethod(
            this, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    QUrl url(const QString &path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }

  private:
    void listen() {
        m_server = new QTcpServer;
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    void serve(QTcpSocket *socket) {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        qsizetype end;
        while ((end = pending.indexOf("\r\n\r\n")) >= 0) {
            const QByteArray requestLine = pending.left(pending.indexOf("\r\n"));
            pending.remove(0, end + 4);
            const QByteArray target = requestLine.split(' ').value(1);
            QFile file(m_root +
                       QUrl::fromPercentEncoding(target).mid(QStringLiteral("/music").size()));
            QByteArray body;
            QByteArray status = "404 Not Found";
            if (file.open(QIODevice::ReadOnly)) {
                body = file.readAll();
                status = "200 OK";
            }
            socket->write("HTTP/1.1 " + status +
                          "\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
        }
    }

    QString m_root;
    QThread m_thread;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// CPU time of the calling thread, in ms: what the GUI thread spends of a pass.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Pass {
    double ms = 0;
    double guiCpuMs = 0;
    int images = 0;
    int errors = 0;
    int fromMemory = 0;
    int fromDisk = 0;
    int fromNetwork = 0;
    double peakMiB = 0;
    double startMiB = 0;
    double diskTailMs = 0; // after the last answer, until the disk writes are done
};

QSize displaySize;

Pass loadAll(const QList<QUrl> &urls) {
    Pass pass;
    resetPeakResident();
    pass.startMiB = residentMiB();
    int pending = int(urls.size());
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = threadCpuMs();
    for (const QUrl &url : urls) {
        ImageManager::sharedManager().loadImageWithURL(
            url, 0, {},
            [&](const QImage &image, const QByteArray &, const ImageError &error,
                ImageCacheSource source, bool finished, const QUrl &) {
                if (!finished) return;
                --pending;
                if (image.isNull() || error) {
                    ++pass.errors;
                    return;
                }
                ++pass.images;
                if (source == ImageCacheSource::Memory)
                    ++pass.fromMemory;
                else if (source == ImageCacheSource::Disk)
                    ++pass.fromDisk;
                else
                    ++pass.fromNetwork;
            },
            displaySize);
    }
    while (pending > 0)
        // Sleeps until the next completion; the overload with a time limit would spin
        // (it ignores WaitForMoreEvents) and take a core from the loader.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const double answered = double(timer.nsecsElapsed()) / 1e6;
    // Finished downloads are deleted later, by the event loop; this one never returns to it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The last disk writes belong to the pass too.
    ImageCache::sharedImageCache().getDiskCount();
    pass.ms = double(timer.nsecsElapsed()) / 1e6;
    pass.diskTailMs = pass.ms - answered;
    pass.guiCpuMs = threadCpuMs() - cpuBefore;
    if (qEnvironmentVariableIsSet("BENCH_MALLINFO")) {
        const struct mallinfo2 m = mallinfo2();
        std::printf("  heap: arenas %zu MiB (in use %zu, free %zu), mapped %zu MiB\n",
                    m.arena >> 20, m.uordblks >> 20, m.fordblks >> 20, m.hblkhd >> 20);
    }
    pass.peakMiB = peakResidentMiB();
    return pass;
}

double curlAll(const QList<QUrl> &urls, const QString &workDir, int processes) {
    QList<QString> configs;
    for (int p = 0; p < processes; ++p) {
        const QString path = QStringLiteral("%1/curl%2.cfg").arg(workDir).arg(p);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        for (qsizetype i = p; i < urls.size(); i += processes)
            f.write("url = \"" + urls[i].toEncoded() + "\"\noutput = \"/dev/null\"\n");
        configs << path;
    }
    QElapsedTimer timer;
    timer.start();
    QList<QProcess *> running;
    for (const QString &cfg : configs) {
        auto *proc = new QProcess;
        proc->start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-K"), cfg});
        running << proc;
    }
    bool ok = true;
    for (QProcess *proc : running) {
        ok = proc->waitForFinished(600000) && proc->exitCode() == 0 && ok;
        delete proc;
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return ok ? ms : -ms;
}

void print(const char *name, const Pass &p) {
    std::printf("%-28s %9.0f ms  %7.2f ms/cover  images %d (net %d, disk %d, mem %d) errors %d  "
                "RSS %.0f -> peak %.0f MiB  GUI thread CPU %.0f ms  disk tail %.0f ms\n",
                name, p.ms, p.ms / std::max(1, p.images + p.errors), p.images, p.fromNetwork,
                p.fromDisk, p.fromMemory, p.errors, p.startMiB, p.peakMiB, p.guiCpuMs,
                p.diskTailMs);
}

int argValue(const QStringList &args, const QString &name, int fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvane-bench-XXXXXX"));
    // The disk cache goes to a private data directory, never the user's.
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (const int threshold = argValue(args, QStringLiteral("--mmap-threshold"), 0); threshold > 0)
        mallopt(M_MMAP_THRESHOLD, threshold);
    const int covers = argValue(args, QStringLiteral("--covers"), 2000);
    const int size = argValue(args, QStringLiteral("--size"), 500);
    const int rounds = argValue(args, QStringLiteral("--rounds"), 2);
    const int display = argValue(args, QStringLiteral("--display"), 160);
    displaySize = display > 0 ? QSize(display, display) : QSize();

    const QString coverDir = QDir(home.path()).filePath(QStringLiteral("music"));
    QDir().mkpath(coverDir);
    const QImage base = baseArtwork(size);
    qint64 totalBytes = 0;
    for (int i = 0; i < covers; ++i) {
        const QString dir =
            QStringLiteral("%1/Album %2").arg(coverDir).arg(i, 4, 10, QLatin1Char('0'));
        QDir().mkpath(dir);
        QFile f(dir + QStringLiteral("/cover.jpg"));
        f.open(QIODevice::WriteOnly);
        totalBytes += f.write(coverJpeg(base, i));
    }
    test::HttpServer server;
    server.serveDirectory(QStringLiteral("/music"), coverDir);
    QuickFileServer quick(coverDir);
    QList<QUrl> urls, quickUrls;
    for (int i = 0; i < covers; ++i) {
        const QString path =
            QStringLiteral("/music/Album%20%1/cover.jpg").arg(i, 4, 10, QLatin1Char('0'));
        urls << server.url(path);
        quickUrls << quick.url(path);
    }

    {
        // The decoding floor: what one core spends per cover in the image plugin.
        const QByteArray sample = coverJpeg(base, 1);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 50; ++i)
            ImageCodersManager::sharedInstance().decodedImageWithData(sample);
        std::printf("decoding one cover: %.2f ms on one core\n",
                    double(t.nsecsElapsed()) / 1e6 / 50);
        t.restart();
        for (int i = 0; i < 50; ++i)
            ImageCodersManager::sharedInstance().decodedImageWithData(sample, displaySize);
        std::printf("decoding one cover at the display size: %.2f ms on one core\n",
                    double(t.nsecsElapsed()) / 1e6 / 50);
    }
    std::printf("%d covers of %dx%d, %.1f KiB each on average, asked at %s; memory bound %lld "
                "MiB; %d download slots\n",
                covers, size, size, double(totalBytes) / covers / 1024.0,
                display > 0 ? qPrintable(QStringLiteral("%1x%1").arg(display)) : "full size",
                ImageCache::sharedImageCache().maxMemoryCost() >> 20,
                ImageDownloader::sharedDownloader().maxConcurrentDownloads());
    std::fflush(stdout);

    ImageCache &cache = ImageCache::sharedImageCache();
    auto coldAgainstCurl = [&](const char *label, const QList<QUrl> &list) {
        const double curlMs = curlAll(list, home.path(), 6);
        std::printf("%-28s %9.0f ms  %7.2f ms/cover%s\n", "curl x6 (fetch only)", std::abs(curlMs),
                    std::abs(curlMs) / covers, curlMs < 0 ? "  (curl failed)" : "");
        cache.clearMemory();
        bool cleared = false;
        cache.clearDiskOnCompletion([&] { cleared = true; });
        while (!cleared)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const Pass cold = loadAll(list);
        print(label, cold);
        std::printf("%-28s %9.2f x\n", "cold / curl x6", cold.ms / std::abs(curlMs));
        if (!displaySize.isValid()) return;
        // The same covers decoded whole, as before covers were asked at their size.
        cache.clearMemory();
        cleared = false;
        cache.clearDiskOnCompletion([&] { cleared = true; });
        while (!cleared)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const QSize asked = std::exchange(displaySize, QSize());
        const Pass whole = loadAll(list);
        displaySize = asked;
        print("cold, whole pictures", whole);
        std::printf("%-28s %9.2f x\n", "cold whole / curl x6", whole.ms / std::abs(curlMs));
    };
    for (int round = 1; round <= rounds; ++round) {
        std::printf("-- round %d, quick server (Nagle off)\n", round);
        coldAgainstCurl("cold (network)", quickUrls);
        std::printf("-- round %d, fixture server\n", round);
        const double curlMs = curlAll(urls, home.path(), 6);
        std::printf("%-28s %9.0f ms  %7.2f ms/cover%s\n", "curl x6 (fetch only)", std::abs(curlMs),
                    std::abs(curlMs) / covers, curlMs < 0 ? "  (curl failed)" : "");

        cache.clearMemory();
        bool cleared = false;
        cache.clearDiskOnCompletion([&] { cleared = true; });
        while (!cleared)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const Pass cold = loadAll(urls);
        print("cold (network)", cold);
        std::printf("%-28s %9.2f x\n", "cold / curl x6", cold.ms / std::abs(curlMs));

        cache.clearMemory(); // as after a restart
        print("warm (disk)", loadAll(urls));
        print("hot, all (bounded memory)", loadAll(urls));
        // What fits in the bound is answered from memory.
        const QList<QUrl> recent = urls.mid(urls.size() - 100);
        loadAll(recent);
        print("hot, last 100 (memory)", loadAll(recent));
        std::fflush(stdout);
    }

    // Without a bound every cover stays decoded (a megabyte each): what the bound saves,
    // shown on 300 covers to spare the shared machine.
    cache.clearMemory();
    cache.setMaxMemoryCost(0);
    const QList<QUrl> some = urls.mid(0, 300);
    print("unbounded, 300 warm", loadAll(some));
    print("unbounded, 300 hot", loadAll(some));
    return 0;
}
