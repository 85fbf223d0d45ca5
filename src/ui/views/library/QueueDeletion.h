#pragma once

// QueueDeletion — which queue positions a deletion removes, and whether playback stops
// first, from the selection and the row the menu was opened on (the context row; for
// the Delete key, the current row).
//   Fewer than two rows selected: the context row alone, whatever the selection; a
//   one-entry queue is stopped first.
//   Two or more selected: the selected rows; stopped first when they are the whole queue.
// Nothing is deleted (nor stopped) when the row is outside the queue.
// Thread: any.
#include <QList>

namespace kelvane {

struct QueueDeletion {
    bool stopFirst = false;
    QList<qint32> positions; // ascending

    static QueueDeletion plan(QList<qint32> selectedRows, qint32 contextRow, qint32 queueSize);
};

} // namespace kelvane
