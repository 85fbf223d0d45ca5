// Cover files handed to the desktop, against a real mpd serving the covers: each album's
// picture once, a few albums kept, nothing left behind, whoever ended the process before.
#include "desktop/CoverFiles.h"

#include "core/mpd/MPDPictures.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "covers/CoverChain.h"
#include "support/MpdServer.h"
#include "support/Wait.h"

#include <QTemporaryDir>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// The URL handed over for songPath, waited for.
QString coverOf(CoverFile &files, const QString &songPath) {
    QObject context;
    bool answered = false;
    QString url;
    files.request(songPath, &context, [&](const QString &answer) {
        answered = true;
        url = answer;
    });
    EXPECT_TRUE(waitUntil([&] { return answered; }, 30000)) << songPath.toStdString();
    return url;
}

TEST(CoverFiles, TheLastAlbumsAreKeptAndNothingIsLeftBehind) {
    auto server = startStandardServer();
    Setting::sSetting().setSessionServer(server->host(), server->port());
    Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    MPDSocket::sMPDSocket().connect();
    ASSERT_TRUE(waitUntil([] { return !MPDPictures::sMPDPictures().serverLabel().isEmpty(); }));

    QTemporaryDir base;
    // What a process killed before it could clean up left behind, and a directory of a
    // process still running (ours stands for it).
    const QString dead = base.filePath(QStringLiteral("covers-2147483647"));
    QDir().mkpath(dead);
    QFile(dead + QStringLiteral("/cover-x.jpg")).open(QIODevice::WriteOnly);
    const QString alive = base.filePath(QStringLiteral("covers-1"));
    QDir().mkpath(alive);
    QString directory;
    {
        CoverFile files(CoverChain::sCoverChain(), base.path());
        directory = files.directory();
        ASSERT_FALSE(directory.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dead));
        EXPECT_TRUE(QFileInfo::exists(alive));

        const char *const songs[] = {
            "The Beatles/Abbey Road/01 Come Together.flac",
            "Pink Floyd/The Wall/CD 1/01 In the Flesh.flac",
            "Pink Floyd/The Wall/CD 2/01 Hey You.flac",
            "Shared/Two Albums/01 Morning.flac",
            "Simon & Garfunkel/Bookends/01 Save the Life of My Child.flac",
            "Édith Piaf/Best of #1?/01 Hymne à l'amour #2?.flac",
        };
        QStringList urls;
        for (const char *song : songs) {
            const QString path = QString::fromUtf8(song);
            const QString url = coverOf(files, path);
            expectPrivateCover(url,
                               fileBytes(server->musicDir() + QLatin1Char('/') +
                                         path.section(QLatin1Char('/'), 0, -2) +
                                         QStringLiteral("/cover.jpg")),
                               base.path());
            // Another song of the same album: the same file, at once.
            EXPECT_EQ(files.urlFor(path.section(QLatin1Char('/'), 0, -2) +
                                   QStringLiteral("/99 Other.flac")),
                      url);
            urls << url;
        }
        EXPECT_EQ(QDir(directory).entryList(QDir::Files).size(), CoverFile::keptAlbums);
        EXPECT_FALSE(QFileInfo::exists(QUrl(urls.first()).toLocalFile()));
        EXPECT_TRUE(QFileInfo::exists(QUrl(urls.last()).toLocalFile()));

        // No picture anywhere, a stream, no song: nothing to hand over.
        EXPECT_EQ(coverOf(files, QStringLiteral("The Beatles/Let It Be/01 Two of Us.flac")),
                  QString());
        EXPECT_EQ(coverOf(files, QStringLiteral("http://127.0.0.1/stream.mp3")), QString());
        EXPECT_EQ(coverOf(files, QString()), QString());
    }
    EXPECT_FALSE(QFileInfo::exists(directory));

    MPDSocket::sMPDSocket().disconnect();
    Setting::sSetting().setSessionHTTP(std::nullopt);
}

} // namespace
