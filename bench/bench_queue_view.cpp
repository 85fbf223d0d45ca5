// bench_queue_view [--rows N]
// GUI-thread cost of showing a queue change in a shown queue table of N rows (10,000 by
// default): one song appended, one removed at the top, the playing song moved, each
// applied as row edits (what the view does), beside the same change applied as a reset
// (what a whole re-read did). Synthetic songs: the server exchange is measured by
// bench_library. Target: one appended song <= 5 ms of GUI-thread time.
#include "core/library/QueueDiff.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/SongTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelvane;

namespace {

Song song(int i) {
    Song s;
    s.setFullPath(QStringLiteral("Artist %1/Album %2/%3 Title %4.flac")
                      .arg(i % 97)
                      .arg(i % 1000)
                      .arg(i % 20)
                      .arg(i));
    s.setArtist(QStringLiteral("Artist %1").arg(i % 97));
    s.setAlbum(QStringLiteral("Album %1").arg(i % 1000));
    s.setTitle(QStringLiteral("Title %1").arg(i));
    s.setTrack(i % 20 + 1);
    return s;
}

// A list of its own, as the view hands the table (nothing else holds it, so edits are
// made in place).
QList<Song> own(const QList<Song> &songs) {
    return QList<Song>(songs.cbegin(), songs.cend());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Applies one change and lets the table lay out and paint what it needs, timed.
template <class F> double timed(F &&apply) {
    QElapsedTimer clock;
    clock.start();
    apply();
    QCoreApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 10000;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--rows") rows = std::max(1, atoi(argv[i + 1]));

    QList<Song> base;
    for (int i = 0; i < rows; ++i)
        base << song(i);
    QueueModel model;
    SongTable table;
    table.setModel(&model);
    table.resize(900, 600);
    table.show();
    model.setQueue(own(base), {});
    table.selectRow(rows / 2);
    table.scrollTo(model.index(rows / 2, 0));
    QCoreApplication::processEvents();

    const int runs = 15;
    std::vector<double> append, appendReset, removeTop, moved;
    for (int r = 0; r < runs; ++r) {
        QList<Song> more = base;
        more << song(rows + r);
        QueueDiff tail;
        tail.first = rows;
        tail.inserted = 1;
        append.push_back(timed([&] { model.applyChanges(more, tail, {}); }));
        QueueDiff back;
        back.first = rows;
        back.removed = 1;
        timed([&] { model.applyChanges(base, back, {}); });
        appendReset.push_back(timed([&] { model.setQueue(more, {}); }));
        timed([&] { model.setQueue(own(base), {}); });

        QList<Song> less = base.mid(1);
        QueueDiff top;
        top.removed = 1;
        removeTop.push_back(timed([&] { model.applyChanges(less, top, {}); }));
        QueueDiff topBack;
        topBack.inserted = 1;
        timed([&] { model.applyChanges(base, topBack, {}); });

        // The row in the middle moved to the end: one removal, one insert.
        QList<Song> shifted = base;
        shifted.move(rows / 2, rows - 1);
        QueueDiff move;
        move.first = rows / 2;
        move.removed = rows - rows / 2;
        move.inserted = rows - rows / 2;
        moved.push_back(timed([&] { model.applyChanges(shifted, move, {}); }));
        timed([&] { model.setQueue(own(base), {}); });
    }
    std::printf(
        "queue table of %d rows, shown, a row selected mid-way; median of %d runs (GUI thread)\n",
        rows, runs);
    std::printf("  %-40s %7.2f ms (target <= 5 ms) %s\n", "one song appended, row edits",
                median(append), median(append) <= 5 ? "ok" : "MISSED");
    std::printf("  %-40s %7.2f ms\n", "the same as a reset", median(appendReset));
    std::printf("  %-40s %7.2f ms\n", "first row removed, row edits", median(removeTop));
    std::printf("  %-40s %7.2f ms\n", "middle row moved to the end, row edits", median(moved));
    std::printf("  ratio reset / row edits for an append: %.1fx\n",
                median(appendReset) / median(append));
    return 0;
}
