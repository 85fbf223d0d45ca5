#pragma once

// QueueView — the "Lecture en cours" view: the server's play queue as a table, read
// whole when the view is made (on the bulk thread) and then, whenever the server reports
// the queue changed (by us or by another client), only what changed, applied as row
// edits so the table keeps its selection and scroll position. The playing song is
// marked by title and artist; a double click or Enter plays a row; the context menu or
// Delete removes rows. It is the queue listener of MPDCache while it lives (the view
// made last gets the events). Editing: selected rows drag to a new place (one move per
// run of rows, the playing song plays on), songs and albums dropped from the other views
// go in where they land, "Lire ensuite" puts the selection after the playing song,
// "Mélanger" shuffles, "Vider la liste" clears after a confirmation. Thread: GUI.
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDDelegates.h"
#include "ui/base/ReloadableView.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QMimeData;

namespace kelvane {

class ConfirmDialog;
class QueueModel;
class SongTable;

class QueueView : public QWidget, public MPDQueueDelegate, public ReloadableView {
    Q_OBJECT
  public:
    explicit QueueView(QWidget *parent = nullptr);
    ~QueueView() override;

    void onStateChange(qint32 state, qint32 position) override;
    void onTrackChange(qint32 position) override;

    // Plays the queue entry at row (nothing for -1).
    void doubleClick(int row);
    // Deletes by the menu's rules: the context row alone when fewer than two rows are
    // selected, else the selection; stops first when the deletion empties the queue.
    void supprimer(qint32 contextRow);
    // Reads the queue (and, when it holds streams, the saved streams) again, where the
    // table is scrolled to.
    void reload() override;
    // Reads what changed since the content held (the whole queue the first time).
    void request();

    // The editing actions. The rows of a move or "Lire ensuite" stay selected where they
    // land once the server's edit comes back.
    void moveRows(const QList<qint32> &rows, qint32 drop);
    void playNext(const QList<qint32> &rows);
    void shuffle();
    // Opens the confirmation; the queue is cleared when it answers yes.
    void askToClear();
    void clearQueue();
    // What a drop does: a move, an insertion of songs, or of an album's songs (read on
    // the bulk thread first).
    void drop(const QMimeData *mime, qint32 row);
    ConfirmDialog *clearDialog() const;
    static QString clearDialogClose() { return QStringLiteral("queueClearClose"); }

    SongTable *table() const { return m_table; }
    QueueModel *model() const { return m_model; }

  private:
    void showContextMenu(int row, QPoint globalPos);
    // Rows of the selection, or the context row alone when it is outside the selection.
    QList<qint32> actedRows(int contextRow) const;
    void reselect();
    // Moved rows stay selected where they land: their entries, found again after the read.
    void reselectAfterMove(const QList<qint32> &rows);

    SongTable *m_table = nullptr;
    QueueModel *m_model = nullptr;
    qint32 m_previousPosition = -1;
    QueueContent m_content;
    bool m_reading = false, m_again = false, m_whole = false;
    QList<quint32> m_reselectIds;
    QPointer<ConfirmDialog> m_clearDialog;
};

} // namespace kelvane
