#pragma once

// QueueView — the "Lecture en cours" view: the server's play queue as a table, read whole
// when the view is made (on the second connection's thread) and then, whenever the
// server reports the queue changed (by us or by another client), only what changed,
// applied as row edits so the table keeps its selection and scroll position. The playing song is marked by
// title and artist; a double click or Enter plays a row; the context menu or Delete
// removes rows. It is the queue listener of MPDCache while it lives (the view made last
// gets the events). Thread: GUI.
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDDelegates.h"
#include "ui/base/ReloadableView.h"

#include <QList>
#include <QWidget>

namespace kelvane {

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

    SongTable *table() const { return m_table; }
    QueueModel *model() const { return m_model; }

  private:
    void showContextMenu(int row, QPoint globalPos);

    SongTable *m_table = nullptr;
    QueueModel *m_model = nullptr;
    qint32 m_previousPosition = -1;
    QueueContent m_content;
    bool m_reading = false, m_again = false, m_whole = false;
};

} // namespace kelvane
