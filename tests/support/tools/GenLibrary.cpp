// kelvane-genlib DIR [--standard] [--bulk ALBUMS SONGS_PER_ALBUM] [--covers]
// Writes a generated library of playable FLAC files for demos and benchmarks.
#include "support/TestLibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSet>

#include <cstdio>

using kelvane::test::TestLibrary;

namespace {

int usage() {
    std::fprintf(
        stderr,
        "usage: kelvane-genlib DIR [--standard] [--bulk ALBUMS SONGS_PER_ALBUM] [--covers]\n"
        "  --standard  the small library of odd cases the tests use\n"
        "  --bulk      ALBUMS x SONGS_PER_ALBUM songs of 1 s\n"
        "  --covers    a 500x500 cover.jpg naming the album in every album directory\n");
    return 2;
}

// A cover in every directory that directly holds a song, naming the album of its path.
void writeCovers(TestLibrary &library) {
    const QDir root(library.musicDir());
    QSet<QString> done;
    QDirIterator it(library.musicDir(), {QStringLiteral("*.flac"), QStringLiteral("*.dsf")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString dir = root.relativeFilePath(QFileInfo(it.next()).absolutePath());
        const QString relative = dir == QLatin1String(".") ? QString() : dir;
        if (done.contains(relative)) continue;
        done.insert(relative);
        // Disc directories show the album they belong to.
        QString name = relative.isEmpty() ? QStringLiteral("Singles") : relative.section(u'/', -1);
        if (name.startsWith(QLatin1String("CD ")) && relative.count(u'/') > 0)
            name = relative.section(u'/', -2, -2) + QStringLiteral("\n") + name;
        library.addCover(relative, name, 500);
    }
    std::printf("%lld covers\n", static_cast<long long>(done.size()));
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts, for the names drawn on covers
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) return usage();

    TestLibrary library(args.first());
    bool standard = false, covers = false;
    int albums = 0, songs = 0;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--standard")) {
            standard = true;
        } else if (args[i] == QLatin1String("--covers")) {
            covers = true;
        } else if (args[i] == QLatin1String("--bulk") && i + 2 < args.size()) {
            bool okAlbums = false, okSongs = false;
            albums = args[i + 1].toInt(&okAlbums);
            songs = args[i + 2].toInt(&okSongs);
            if (!okAlbums || !okSongs || albums < 0 || songs < 0 || songs > 99) return usage();
            i += 2;
        } else {
            return usage();
        }
    }
    if (!standard && albums == 0) standard = true;

    QElapsedTimer clock;
    clock.start();
    if (standard) library.writeStandard();
    if (albums > 0) library.writeBulk(albums, songs);
    if (covers) writeCovers(library);
    std::printf("%d songs in %s (%lld ms)\n", library.songCount(), qPrintable(library.musicDir()),
                static_cast<long long>(clock.elapsed()));
    return 0;
}
