#include "core/library/QueueMoves.h"

#include <algorithm>
#include <vector>

namespace kelvane::queuemoves {

namespace {
void move(std::vector<qint32> &queue, const QueueMove &m) {
    std::vector<qint32> block(queue.begin() + m.start, queue.begin() + m.end);
    queue.erase(queue.begin() + m.start, queue.begin() + m.end);
    queue.insert(queue.begin() + m.to, block.begin(), block.end());
}
} // namespace

QList<QueueMove> plan(qint32 length, const QList<qint32> &rows, qint32 drop) {
    if (length <= 0) return {};
    drop = std::clamp(drop, 0, length);
    std::vector<bool> selected(static_cast<size_t>(length), false);
    for (qint32 row : rows)
        if (row >= 0 && row < length) selected[size_t(row)] = true;
    // The order wanted: the other rows before the drop point, the selection, the rest.
    std::vector<qint32> wanted;
    wanted.reserve(size_t(length));
    for (qint32 r = 0; r < drop; ++r)
        if (!selected[size_t(r)]) wanted.push_back(r);
    for (qint32 r = 0; r < length; ++r)
        if (selected[size_t(r)]) wanted.push_back(r);
    for (qint32 r = drop; r < length; ++r)
        if (!selected[size_t(r)]) wanted.push_back(r);

    // Walk the wanted order; where the queue differs, move the longest run of the
    // entries wanted next, in one command.
    std::vector<qint32> queue(static_cast<size_t>(length));
    std::vector<qint32> where(static_cast<size_t>(length));
    for (qint32 r = 0; r < length; ++r)
        queue[size_t(r)] = where[size_t(r)] = r;
    QList<QueueMove> moves;
    for (qint32 i = 0; i < length; ++i) {
        if (queue[size_t(i)] == wanted[size_t(i)]) continue;
        const qint32 from = where[size_t(wanted[size_t(i)])];
        qint32 run = 1;
        while (from + run < length && i + run < length &&
               queue[size_t(from + run)] == wanted[size_t(i + run)])
            ++run;
        const QueueMove m{from, from + run, i};
        move(queue, m);
        for (qint32 p = std::min(i, from); p < std::max(i, from + run) && p < length; ++p)
            where[size_t(queue[size_t(p)])] = p;
        moves.append(m);
    }
    return moves;
}

QList<qint32> apply(qint32 length, const QList<QueueMove> &moves) {
    std::vector<qint32> queue(size_t(std::max(0, length)));
    for (qint32 r = 0; r < length; ++r)
        queue[size_t(r)] = r;
    for (const QueueMove &m : moves) {
        if (m.start < 0 || m.end > length || m.start >= m.end || m.to < 0 ||
            m.to > length - (m.end - m.start))
            return {};
        move(queue, m);
    }
    return QList<qint32>(queue.begin(), queue.end());
}

} // namespace kelvane::queuemoves
