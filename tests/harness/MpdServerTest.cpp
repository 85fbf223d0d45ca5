// The private mpd and the generated library: what later tests take for granted.
#include "support/MpdServer.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

using namespace kelvane::test;

namespace {

// listallinfo as one map per song file: key -> values (Artist may repeat).
QMap<QString, QMultiMap<QString, QString>> songsOf(MpdServer &server)
{
    QMap<QString, QMultiMap<QString, QString>> songs;
    QString current;
    for (const QString &line : server.command(QStringLiteral("listallinfo"))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const QString key = line.left(colon), value = line.mid(colon + 2);
        if (key == QLatin1String("file"))
            current = value;
        else if (key == QLatin1String("directory") || key == QLatin1String("playlist"))
            current.clear();
        else if (!current.isEmpty())
            songs[current].insert(key, value);
    }
    return songs;
}

} // namespace

TEST(MpdServer, StandardLibraryHasEveryOddTag)
{
    QElapsedTimer clock;
    clock.start();
    auto server = startStandardServer();
    ASSERT_TRUE(server->isRunning());
    std::cout << "standard server ready in " << clock.elapsed() << " ms" << std::endl;

    const auto songs = songsOf(*server);
    EXPECT_EQ(songs.size(), TestLibrary::standardSongCount());
    for (auto it = songs.cbegin(); it != songs.cend(); ++it) {
        std::cout << it.key().toStdString() << "\n";
        for (auto t = it->cbegin(); t != it->cend(); ++t)
            std::cout << "    " << t.key().toStdString() << ": " << t.value().toStdString() << "\n";
    }
}
