// main() of the replay executables: feeds every file of the corpus folders named on the
// command line to the target once, as libFuzzer would, so the normal build re-runs every
// input that was ever kept (crashes included) without libFuzzer.
#include "FuzzInput.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

int main(int argc, char **argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
        } else {
            files << path;
        }
    }
    files.sort(); // the same order on every run
    if (files.isEmpty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray data = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.constData()),
                               size_t(data.size()));
    }
    std::printf("replayed %lld inputs in %lld ms\n", qlonglong(files.size()),
                qlonglong(clock.elapsed()));
    return 0;
}
