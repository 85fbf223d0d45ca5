// bench_albumfilter [--albums N]
// The search field above the album grid, with N generated albums (10,000 by default:
// names, artists with accents, genres, years) held in memory and covers from a local web
// server, the grid shown at 1280x800 (offscreen). Each query is typed one character at a
// time, then erased one at a time; per keystroke it measures, on the GUI thread:
//   - the filter and the grid's reset (what textChanged runs), wall clock and CPU time;
//   - the whole keystroke: that, plus the grid's layout and one painted frame.
// Target: <= 16 ms of GUI-thread time per keystroke (the whole of it).
#include "core/mpd/MPDCache.h"
#include "core/settings/Setting.h"
#include "support/HttpServer.h"
#include "support/TestLibrary.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumsView.h"

#include "BenchTiming.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace kelvane;
using kelvane::test::HttpServer;
using kelvane::test::TestLibrary;

namespace {

using kelvane::bench::ms;
using kelvane::bench::printSeries;
using kelvane::bench::threadCpuMs;

QList<Album> generatedAlbums(int count) {
    const QStringList named = {QStringLiteral("Beyoncé"),     QStringLiteral("Sigur Rós"),
                               QStringLiteral("Édith Piaf"),  QStringLiteral("Mötley Crüe"),
                               QStringLiteral("Björk"),       QStringLiteral("Françoise Hardy"),
                               QStringLiteral("The Beatles"), QStringLiteral("Pink Floyd"),
                               QStringLiteral("Miles Davis"), QStringLiteral("Zaz")};
    const QStringList words = {
        QStringLiteral("Été"),     QStringLiteral("Nuit"),     QStringLiteral("Blue"),
        QStringLiteral("Wall"),    QStringLiteral("Kind"),     QStringLiteral("Œuvre"),
        QStringLiteral("Lumière"), QStringLiteral("Road"),     QStringLiteral("Live"),
        QStringLiteral("Session"), QStringLiteral("Greatest"), QStringLiteral("Hits"),
        QStringLiteral("Chanson"), QStringLiteral("Ágætis"),   QStringLiteral("Byrjun"),
        QStringLiteral("Dream")};
    const QStringList genres = {QStringLiteral("Rock"),         QStringLiteral("Jazz"),
                                QStringLiteral("Pop"),          QStringLiteral("Chanson"),
                                QStringLiteral("Électronique"), QStringLiteral("Classique")};
    QRandomGenerator random(42);
    QList<Album> albums;
    albums.reserve(count);
    for (int i = 0; i < count; ++i) {
        Album album;
        album.artist = i % 20 == 0 ? named[random.bounded(named.size())]
                                   : QStringLiteral("Artiste %1").arg(i / 7);
        album.albumName = words[random.bounded(words.size())] + QLatin1Char(' ') +
                          words[random.bounded(words.size())] + QStringLiteral(" %1").arg(i);
        album.genre = genres[random.bounded(genres.size())];
        album.date = 1950 + random.bounded(75);
        album.path = QStringLiteral("%1/%2").arg(album.artist, album.albumName);
        albums.append(album);
    }
    return albums;
}

void settle(int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 8);
}

} // namespace

int main(int argc, char **argv) {
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 10000;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--albums")); i >= 0 && i + 1 < args.size())
        count = args[i + 1].toInt();
    std::printf("bench_albumfilter: %d albums, platform %s\n", count,
                qPrintable(QGuiApplication::platformName()));

    HttpServer covers;
    covers.setDefault({200,
                       TestLibrary::coverJpeg(QStringLiteral("cover"), 300),
                       {{"Content-Type", "image/jpeg"}}});
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(covers.port()));
    MPDCache::sMPDCache().setCurrentAlbumList(generatedAlbums(count));

    AlbumsView view;
    view.resize(1280, 800);
    view.show();
    settle(1500);
    QLineEdit *field = view.searchField();
    QListView *grid = view.collectionView();

    const QStringList queries = {QStringLiteral("beyonce"),           QStringLiteral("ete nuit"),
                                 QStringLiteral("jazz 1999"),         QStringLiteral("artiste 12"),
                                 QStringLiteral("sigur ros agaetis"), QStringLiteral("zzz")};
    QList<double> filterWall, filterCpu, wholeWall, wholeCpu;
    const auto keystroke = [&](const QString &text) {
        QElapsedTimer t;
        const double cpu = threadCpuMs();
        t.start();
        field->setText(text);
        filterWall << ms(t);
        filterCpu << threadCpuMs() - cpu;
        // The layout the reset asked for runs from the event loop; then one frame.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        grid->viewport()->repaint();
        wholeWall << ms(t);
        wholeCpu << threadCpuMs() - cpu;
        // The pause between two keys: covers of the new screen load meanwhile.
        settle(60);
    };
    for (const QString &query : queries) {
        for (int n = 1; n <= query.size(); ++n)
            keystroke(query.left(n));
        for (int n = query.size() - 1; n >= 0; --n)
            keystroke(query.left(n));
    }
    std::printf("  shown after the last keystroke: %d of %d albums\n", view.model()->rowCount(),
                count);
    printSeries("filter + grid reset, wall", filterWall);
    printSeries("filter + grid reset, GUI thread CPU", filterCpu);
    printSeries("whole keystroke (+ layout, frame), wall", wholeWall);
    printSeries("whole keystroke, GUI thread CPU", wholeCpu);
    std::sort(wholeCpu.begin(), wholeCpu.end());
    const double p95 =
        wholeCpu[std::min<qsizetype>(wholeCpu.size() - 1, qsizetype(0.95 * wholeCpu.size()))];
    std::printf("  target: <= 16 ms GUI-thread time per keystroke (p95 CPU %.2f ms) %s\n", p95,
                p95 <= 16 ? "ok" : "MISSED");
    return 0;
}
