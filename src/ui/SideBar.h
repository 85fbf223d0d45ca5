#pragma once

#include <QHash>
#include <QMimeData>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

namespace kelvane {

class SidebarItem;

// The sidebar: the "Source" group (albums, queue, streams, radio) and the "Playlist"
// group (the server's stored playlists). Rows are counted as they show with the groups
// expanded: 0 "Source", 1 "Library", 2 "Queue", 3 "Stream", 4 "Radio", 5 "Playlist",
// 6 and on the playlists; a collapsed "Playlist" group has no rows below it. Headers
// cannot be selected and "Source" cannot be collapsed. Songs, albums and queue rows
// dragged from any view can be dropped on "Queue" (they go at the end of the queue); a
// drag that rests on it a moment opens the queue, so the drop can land at a place in it.
// GUI thread.
class SideBar : public QTreeWidget {
    Q_OBJECT
  public:
    explicit SideBar(QWidget *parent = nullptr);

    static QString source() { return QStringLiteral("Source"); }
    static QString playlist() { return QStringLiteral("Playlist"); }
    static QStringList sources();

    const QStringList &sideBarTopLevelItem() const { return m_topLevel; }
    QStringList itemsOf(const QString &header) const { return m_items.value(header); }
    // Replaces the "Playlist" entries (the caller reloads).
    void setPlaylists(const QStringList &names);
    QStringList playlists() const { return m_items.value(playlist()); }

    // Rebuilds the rows from the model, keeping the selection (by name, also inside a
    // folded group, without a selection signal) and the "Playlist" group's expansion.
    // An entry that is gone leaves nothing selected.
    void reloadData();
    void expandEverything();

    // Visible rows, in the numbering above.
    int rowCount() const;
    int rowOfName(const QString &name) const;
    QString nameAtRow(int row) const;
    int rowAtPoint(const QPoint &viewportPoint) const;
    QTreeWidgetItem *itemAtRow(int row) const;
    bool selectRow(int row);
    // Selects an entry by name, also one inside the folded "Playlist" group (which
    // stays folded).
    bool selectName(const QString &name);
    QString selectedName() const;
    // The model holds this entry (shown or folded away).
    bool hasEntry(const QString &name) const;
    bool isHeader(const QString &name) const { return m_topLevel.contains(name); }

    void setPlaylistGroupExpanded(bool expanded);
    bool isPlaylistGroupExpanded() const;

    // The label shown for a source ("Library" shows "Albums"), in the interface's language.
    static QString displayText(const QString &name);
    static QString iconName(const QString &name, bool isPlaylist);

    // The album count on "Library"; negative (at first): not known, no badge.
    void setAlbumCount(int count);
    int albumCount() const { return m_albumCount; }
    SidebarItem *cellOf(const QString &name) const;

    // How long a drag rests on "Queue" before the queue opens under it.
    static constexpr int dragOpenDelayMs = 700;
    bool dragOpenPending() const { return m_dragOpen.isActive(); }

  Q_SIGNALS:
    // A selectable entry became the selection.
    void entrySelected(const QString &name);
    // Right click: the row under the pointer (-1 for the empty area), in global coordinates.
    void contextMenuRequested(int row, const QPoint &globalPos);
    // Delete or F2 on a selected stored playlist.
    void playlistKeyPressed(const QString &name, int key);
    // A drag let go on "Queue": what it carries goes at the end of the queue. The data
    // lives only as long as the call.
    void droppedOnQueue(const QMimeData *mime);

  protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    QString albumBadge() const;
    void onSelectionChanged();
    void showHighlight();
    QTreeWidgetItem *itemOfName(const QString &name) const;
    void selectItem(QTreeWidgetItem *item);
    QWidget *headerCell(const QString &name);
    void updateHeaderChevron();
    QList<QTreeWidgetItem *> visibleItems() const;
    // Whether a drag at this viewport point would land on "Queue".
    bool takesDropAt(const QMimeData *mime, const QPoint &viewportPoint) const;
    void setDropTarget(bool onQueue);

    QStringList m_topLevel;
    QHash<QString, QStringList> m_items;
    QHash<QTreeWidgetItem *, SidebarItem *> m_cells;
    int m_albumCount = -1;
    bool m_reloading = false;
    bool m_playlistExpanded = true;
    QTimer m_dragOpen;
    bool m_dropTarget = false; // a drag is over "Queue": it is outlined
};

} // namespace kelvane
