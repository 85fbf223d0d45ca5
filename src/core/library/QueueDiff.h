#pragma once

// QueueDiff — how a queue of ids became another, as the few row edits a table needs:
// the rows kept at both ends, one block removed and one inserted between them, and the
// rows whose entry changed in place. An append is one insert at the end, a deletion
// one removal, a song moved one removal and one insert. Pure; any thread.
#include <QList>

namespace kelvane {

struct QueueDiff {
    qsizetype first = 0;      // rows before this are the same entries in both
    qsizetype removed = 0;    // rows [first, first + removed) of the old queue go
    qsizetype inserted = 0;   // rows [first, first + inserted) of the new queue come
    QList<qsizetype> changed; // rows of the new queue whose entry kept its id and row but changed

    static QueueDiff between(const QList<quint32> &before, const QList<quint32> &after,
                             const QList<qsizetype> &touched = {});
    bool isEmpty() const { return removed == 0 && inserted == 0 && changed.isEmpty(); }
};

} // namespace kelvane
