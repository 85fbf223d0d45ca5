#pragma once

#include "core/mpd/MPDDelegates.h"
#include "core/notify/NotificationCenter.h"
#include "core/streams/Stream.h"
#include "ui/base/ReloadableView.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <optional>

class QLabel;
class QMenu;
class QTableWidget;

namespace kelvane {

class StreamEdit;

// The saved radio streams, listed by name: a double click plays one (replacing the
// queue); the context menu also appends it or puts it next, edits the stream under the
// pointer or deletes it (or every selected stream, after a confirmation). The main window makes a
// new view each time its stream entry is chosen; the view is MPDCache's stream listener while it
// lives and reloads on onStreamChange. GUI thread.
class StreamView : public QWidget, public MPDStreamDelegate, public ReloadableView {
    Q_OBJECT
  public:
    explicit StreamView(QWidget *parent = nullptr);
    ~StreamView() override;

    // The list as shown, sorted by name.
    QList<Stream> streamArray() const { return m_streamArray; }
    QTableWidget *streamTableView() const { return m_table; }
    // An editor or a confirmation opened here is open: edit and delete wait.
    bool editActive() const { return m_editActive; }
    // The positions the open confirmation will delete, if one is open.
    std::optional<QList<qint32>> selectedItems() const { return m_selectedItems; }
    QWidget *confirmStream() const { return m_confirm; }
    StreamEdit *streamEdit() const;

    void onStreamChange() override;
    // Reads the list again and sorts it, where the table is scrolled to.
    void reload() override;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  public Q_SLOTS:
    void updateTable();
    void doubleClick(int row);
    // The row under the pointer when the context menu opens (negative: none).
    void menuWillOpen(int row);
    // The context menu of row: play (replacing the queue; the double click), append,
    // play next (the selection when row is part of it), edit, delete.
    void fillContextMenu(QMenu *menu, int row);
    void edit();
    void deleteStreams();

  private:
    void showContextMenu(const QPoint &pos);
    void deleteBoxListener(const NotificationInfo &info);
    void editBoxListener();
    void openConfirmation(const QString &message);
    void confirmDeletion(const QList<qint32> &positions, const QString &message);
    void settleEditActive();
    bool isRow(int row) const { return row >= 0 && row < m_streamArray.size(); }

    QTableWidget *m_table = nullptr;
    QLabel *m_empty = nullptr;
    QList<Stream> m_streamArray;
    quint64 m_ticket = 0;
    int m_rowStreamSelected = -1;
    std::optional<QList<qint32>> m_selectedItems;
    bool m_editActive = false;
    quint64 m_deletionTicket = 0; // only the latest read of the positions counts
    QPointer<QWidget> m_confirm;
    QPointer<StreamEdit> m_streamEdit;
};

} // namespace kelvane
