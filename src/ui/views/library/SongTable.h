#pragma once

// SongTable — the table the queue, album content and playlist views share: whole-row
// extended selection, no grid, compact rows. A double click or Enter/Return on the
// current row asks to play it (playRequested); Delete/Backspace asks to delete the
// selection (deleteRequested); the context menu reports the row under the pointer.
// Selected rows drag out as songs; a table that takes drops reports them with the row
// they land before (dropped), and changes nothing itself.
// Thread: GUI.
#include <QKeySequence>
#include <QList>
#include <QMimeData>
#include <QTableView>

namespace kelvane {

class SongTable : public QTableView {
    Q_OBJECT
  public:
    explicit SongTable(QWidget *parent = nullptr);

    // Selected rows, ascending.
    QList<qint32> selectedRowsAscending() const;

    // Takes drops of rows, songs and albums (songdrag), between rows.
    void setDropsAccepted(bool accepted);
    // The row a drop at this viewport point goes before (the row count: the end).
    int dropRow(QPoint viewportPos) const;

  Q_SIGNALS:
    void playRequested(int row);
    void deleteRequested(int currentRow);
    // Ctrl+Return (playNextKey) on a row: "Lire ensuite" without the menu.
    void playNextRequested(int currentRow);
    void contextMenuRequested(int row, QPoint globalPos);
    void dropped(const QMimeData *data, int row);

  public:
    static QKeySequence playNextKey() { return QKeySequence(Qt::CTRL | Qt::Key_Return); }

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Home and End go to the first and last song, on the row's first cell (the one that
    // reads the whole row to a screen reader), as in a list; not along the row.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace kelvane
