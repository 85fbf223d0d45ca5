#include "core/library/QueueDiff.h"

#include <algorithm>

namespace kelvane {

QueueDiff QueueDiff::between(const QList<quint32> &before, const QList<quint32> &after,
                             const QList<qsizetype> &touched) {
    QueueDiff diff;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (diff.first < shorter && before[diff.first] == after[diff.first])
        ++diff.first;
    qsizetype tail = 0;
    while (tail < shorter - diff.first &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    diff.removed = before.size() - diff.first - tail;
    diff.inserted = after.size() - diff.first - tail;
    // Rows the server reported that kept their id and stayed in the kept parts: the
    // song itself changed (its tags, after a database update).
    for (qsizetype row : touched) {
        if (row < 0 || row >= after.size()) continue;
        const bool kept = row < diff.first || row >= diff.first + diff.inserted;
        if (kept && !diff.changed.contains(row)) diff.changed.append(row);
    }
    std::sort(diff.changed.begin(), diff.changed.end());
    return diff;
}

} // namespace kelvane
