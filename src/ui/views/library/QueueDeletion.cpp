#include "ui/views/library/QueueDeletion.h"

#include <algorithm>

namespace kelvane {

QueueDeletion QueueDeletion::plan(QList<qint32> selectedRows, qint32 contextRow, qint32 queueSize) {
    QueueDeletion result;
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    selectedRows.removeIf([queueSize](qint32 row) { return row < 0 || row >= queueSize; });

    if (selectedRows.size() < 2) {
        if (contextRow < 0 || contextRow >= queueSize) return result;
        result.stopFirst = queueSize == 1;
        result.positions = {contextRow};
        return result;
    }
    result.stopFirst = selectedRows.size() == queueSize;
    result.positions = selectedRows;
    return result;
}

} // namespace kelvane
