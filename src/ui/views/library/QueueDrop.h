#pragma once

// QueueDrop — what songs or an album dropped on the queue do, wherever the drop is made
// (between the queue's rows, or on the sidebar's "Lecture en cours"): songs go in at
// once; an album's songs are read first, on the bulk thread, and go in
// where the album was dropped (clamped to the queue as it is by then). Queue rows are
// not handled here: a move belongs to whoever shows the rows. Thread: GUI.
#include <QObject>
#include <functional>
#include <limits>

class QMimeData;

namespace kelvane::queuedrop {

// The row after the last one, however long the queue is when the edit is made.
inline constexpr qint32 end = std::numeric_limits<qint32>::max();

// True when data carried songs or an album; inserted runs (on the GUI thread, while
// context lives) once they are in the queue.
bool insert(QObject *context, const QMimeData *data, qint32 row,
            std::function<void()> inserted = {});

// A drop on the queue as a whole: queue rows move to the end, songs and albums go there.
void append(QObject *context, const QMimeData *data);

} // namespace kelvane::queuedrop
