// Cover loading through the image manager against local HTTP servers: 2,000 distinct
// 500×500 JPEG covers loaded cold (network), warm (disk, after the memory level is
// emptied as on a restart) and hot (memory). Covers are asked at the grid's display size
// (160×160 device pixels) unless --display 0 asks for the whole pictures.
//
// Each figure is set beside the floor it is measured against, measured in the same round
// just before it:
//   - the decode floor: the same files, already in memory, decoded at the same size by the
//     image reader alone (libjpeg-turbo through QImageReader) on two threads, one per core
//     of the machine: no network, no cache, no hand-over between threads;
//   - the fetch floor: six curl processes fetching the same files, nothing decoded.
// A cold load cannot beat the larger of the two; the target is 1.5x the decode floor.
// Reports wall times, the GUI thread's CPU time and the peak resident memory of each pass.
//
//   bench_images [--covers 2000] [--size 500] [--display 160] [--rounds 2] [--whole]
//   --cold-only: one cold pass from the quick server, nothing else (for profilers).
//   --whole: also load the covers cold at full size, as before they were asked at their size.
#include "imageloading/ImageCache.h"
#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageManager.h"
#include "support/HttpServer.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
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

struct Pass {
    double ms = 0;
    double guiCpuMs = 0;
    double cpuMs = 0; // the whole process
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

// CPU time of the calling thread, in ms: what the GUI thread spends of a pass.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// CPU time of the whole process, in ms: on a machine others load, wall times measure the
// queue for a core as much as the work; CPU time does not.
double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Floor {
    double ms = 0;    // wall time, negative when a file did not decode
    double cpuMs = 0; // CPU time of the decoding threads
};

// The decode floor: every file decoded at the display size by the image reader alone, the
// work split over `threads` threads (every other file each).
Floor decodeFloor(const QList<QByteArray> &files, QSize size, int threads) {
    QElapsedTimer timer;
    timer.start();
    QList<QThread *> workers;
    std::atomic<int> decoded{0};
    std::atomic<qint64> cpuNs{0};
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([&files, &decoded, &cpuNs, size, t, threads] {
            const double before = threadCpuMs();
            for (qsizetype i = t; i < files.size(); i += threads) {
                QByteArray bytes = files[i];
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                QImageReader reader(&buffer, "jpeg");
                if (size.isValid()) reader.setScaledSize(size);
                QImage image;
                if (reader.read(&image) && !image.isNull()) ++decoded;
            }
            cpuNs += qint64((threadCpuMs() - before) * 1e6);
        });
        workers.last()->start();
    }
    for (QThread *w : workers) {
        w->wait();
        delete w;
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return {decoded.load() == files.size() ? ms : -ms, double(cpuNs.load()) / 1e6};
}

Pass loadAll(const QList<QUrl> &urls) {
    Pass pass;
    resetPeakResident();
    pass.startMiB = residentMiB();
    int pending = int(urls.size());
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = threadCpuMs();
    const double processBefore = processCpuMs();
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
    pass.cpuMs = processCpuMs() - processBefore;
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
                "RSS %.0f -> peak %.0f MiB  CPU %.0f ms (GUI thread %.0f)  disk tail %.0f ms\n",
                name, p.ms, p.ms / std::max(1, p.images + p.errors), p.images, p.fromNetwork,
                p.fromDisk, p.fromMemory, p.errors, p.startMiB, p.peakMiB, p.cpuMs, p.guiCpuMs,
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
    const bool whole = args.contains(QStringLiteral("--whole"));
    // One cold pass from the quick server and nothing else: for profilers.
    const bool coldOnly = args.contains(QStringLiteral("--cold-only"));

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

    QList<QByteArray> files;
    for (int i = 0; i < covers; ++i) {
        QFile f(
            QStringLiteral("%1/Album %2/cover.jpg").arg(coverDir).arg(i, 4, 10, QLatin1Char('0')));
        f.open(QIODevice::ReadOnly);
        files << f.readAll();
    }
    {
        // What one core spends per cover: the reader alone, and our coder (the reader and
        // the size policy) at the display size.
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 50; ++i)
            ImageCodersManager::sharedInstance().decodedImageWithData(files[i % files.size()]);
        std::printf("decoding one cover whole: %.2f ms on one core\n",
                    double(t.nsecsElapsed()) / 1e6 / 50);
        t.restart();
        for (int i = 0; i < 50; ++i)
            ImageCodersManager::sharedInstance().decodedImageWithData(files[i % files.size()],
                                                                      displaySize);
        std::printf("decoding one cover at the display size, our coder: %.2f ms on one core\n",
                    double(t.nsecsElapsed()) / 1e6 / 50);
        // The reader left to pick libjpeg's reduction itself (the closest eighth), then a
        // half asked explicitly and scaled down: the two ways a floor can be had.
        for (const bool half : {false, true}) {
            t.restart();
            for (int i = 0; i < 200; ++i) {
                QByteArray bytes = files[i % files.size()];
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                QImageReader reader(&buffer, "jpeg");
                const QSize full = reader.size();
                if (displaySize.isValid())
                    reader.setScaledSize(half ? full / 2 : sizeCovering(full, displaySize));
                QImage image;
                reader.read(&image);
                if (half) image = scaledToCover(image, displaySize);
            }
            std::printf("decoding one cover at the display size, the reader alone, %s: %.2f ms "
                        "on one core\n",
                        half ? "1/2 then scaled" : "its own eighth",
                        double(t.nsecsElapsed()) / 1e6 / 200);
        }
    }
    std::printf("%d covers of %dx%d, %.1f KiB each on average, asked at %s; memory bound %lld "
                "MiB; %d download slots\n",
                covers, size, size, double(totalBytes) / covers / 1024.0,
                display > 0 ? qPrintable(QStringLiteral("%1x%1").arg(display)) : "full size",
                ImageCache::sharedImageCache().maxMemoryCost() >> 20,
                ImageDownloader::sharedDownloader().maxConcurrentDownloads());
    std::fflush(stdout);

    ImageCache &cache = ImageCache::sharedImageCache();
    const auto clearCache = [&cache] {
        cache.clearMemory();
        bool cleared = false;
        cache.clearDiskOnCompletion([&] { cleared = true; });
        while (!cleared)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    };
    const auto floors = [&](const QList<QUrl> &list, Floor *decode, double *fetchMs) {
        *decode = decodeFloor(files, displaySize, 2);
        std::printf("%-28s %9.0f ms  %7.2f ms/cover  CPU %.0f ms  (floor: the reader alone, 2 "
                    "threads, files in memory)%s\n",
                    "decode floor", std::abs(decode->ms), std::abs(decode->ms) / covers,
                    decode->cpuMs, decode->ms < 0 ? "  (a file did not decode)" : "");
        *fetchMs = curlAll(list, home.path(), 6);
        std::printf("%-28s %9.0f ms  %7.2f ms/cover  (floor: 6 curl processes, nothing "
                    "decoded)%s\n",
                    "fetch floor", std::abs(*fetchMs), std::abs(*fetchMs) / covers,
                    *fetchMs < 0 ? "  (curl failed)" : "");
    };
    // Wall time against wall time holds on a quiet machine; on a loaded one a process with
    // more threads gets more of the cores than the floor's two, so the CPU times are set
    // side by side too (the pass's whole process, its in-process web server included).
    const auto ratios = [](const char *what, const Pass &p, const Floor &decode, double fetchMs) {
        const double wall = p.ms / std::abs(decode.ms);
        std::printf("  %-26s %.2fx the decode floor (target <= 1.5x) %s; CPU %.2fx the decode "
                    "floor's; %.2fx the fetch floor\n",
                    what, wall, wall <= 1.5 ? "ok" : "MISSED", p.cpuMs / decode.cpuMs,
                    p.ms / std::abs(fetchMs));
    };
    if (coldOnly) {
        clearCache();
        print("cold (network)", loadAll(quickUrls));
        return 0;
    }
    for (int round = 1; round <= rounds; ++round) {
        std::printf("-- round %d, quick server (Nagle off): the client's own cost\n", round);
        Floor decode;
        double fetchMs = 0;
        floors(quickUrls, &decode, &fetchMs);
        clearCache();
        const Pass quickCold = loadAll(quickUrls);
        print("cold (network)", quickCold);
        ratios("cold", quickCold, decode, fetchMs);
        if (whole && displaySize.isValid()) {
            // The same covers decoded whole, as before covers were asked at their size.
            clearCache();
            const QSize asked = std::exchange(displaySize, QSize());
            const Pass wholePass = loadAll(quickUrls);
            displaySize = asked;
            print("cold, whole pictures", wholePass);
            ratios("cold, whole pictures", wholePass, decode, fetchMs);
        }
        std::printf("-- round %d, fixture server (Nagle on: answers wait for delayed "
                    "acknowledgements)\n",
                    round);
        floors(urls, &decode, &fetchMs);
        clearCache();
        const Pass cold = loadAll(urls);
        print("cold (network)", cold);
        ratios("cold", cold, decode, fetchMs);

        cache.clearMemory(); // as after a restart
        const Pass warm = loadAll(urls);
        print("warm (disk)", warm);
        ratios("warm", warm, decode, fetchMs);
        print("hot, all (bounded memory)", loadAll(urls));
        // What fits in the bound is answered from memory.
        const QList<QUrl> recent = urls.mid(urls.size() - 100);
        loadAll(recent);
        print("hot, last 100 (memory)", loadAll(recent));
        std::fflush(stdout);
    }

    // Without a bound every cover stays decoded: what the bound saves, shown on 300 covers
    // to spare the shared machine.
    cache.clearMemory();
    cache.setMaxMemoryCost(0);
    const QList<QUrl> some = urls.mid(0, 300);
    print("unbounded, 300 warm", loadAll(some));
    print("unbounded, 300 hot", loadAll(some));
    return 0;
}
