#pragma once

// SongTable — the table the queue, album content and playlist views share: whole-row
// extended selection, no grid, compact rows. A double click or Enter/Return on the
// current row asks to play it (playRequested); Delete/Backspace asks to delete the
// selection (deleteRequested); the context menu reports the row under the pointer.
// Thread: GUI.
#include <QList>
#include <QTableView>

namespace kelvane {

class SongTable : public QTableView {
    Q_OBJECT
  public:
    explicit SongTable(QWidget *parent = nullptr);

    // Selected rows, ascending.
    QList<qint32> selectedRowsAscending() const;

  Q_SIGNALS:
    void playRequested(int row);
    void deleteRequested(int currentRow);
    void contextMenuRequested(int row, QPoint globalPos);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};

} // namespace kelvane
