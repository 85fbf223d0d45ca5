#pragma once

// A generated library the benchmarks keep in the temporary directory between runs: it
// is written once (the marker says it was written whole) and reused after that.
#include "support/TestLibrary.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace kelvane::bench {

template <class Fill> QString cachedLibrary(const QString &name, const char *what, Fill fill) {
    const QString dir = QDir::tempPath() + QLatin1Char('/') + name;
    const QString marker = dir + QStringLiteral("/.complete");
    if (!QFile::exists(marker)) {
        QDir(dir).removeRecursively();
        std::printf("generating %s into %s ...\n", what, qPrintable(dir));
        std::fflush(stdout);
        kelvane::test::TestLibrary lib(dir);
        fill(lib);
        QFile done(marker);
        done.open(QIODevice::WriteOnly);
    }
    return dir;
}

} // namespace kelvane::bench
