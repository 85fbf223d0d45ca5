#pragma once

// QueueMoves — the "move START:END TO" commands that carry the selected rows of a queue,
// in their order, to a drop point, as the server applies them one after the other (each
// TO counts in the queue as it is once that range is out). Few commands: a run of rows
// that already follow one another in the wanted order moves as one. Moves never stop the
// song playing. Pure; any thread.
#include <QList>

namespace kelvane {

struct QueueMove {
    qint32 start = 0, end = 0, to = 0; // [start, end) goes to position to
    bool operator==(const QueueMove &) const = default;
};

namespace queuemoves {

// rows: positions in a queue of `length` entries (any order, repeats and positions out
// of range ignored); drop: the row they go before (length: the end). None when nothing
// moves.
QList<QueueMove> plan(qint32 length, const QList<qint32> &rows, qint32 drop);

// The queue positions after applying moves to 0..length-1 (for tests and checks).
QList<qint32> apply(qint32 length, const QList<QueueMove> &moves);

} // namespace queuemoves
} // namespace kelvane
