#include "ui/views/library/SongTable.h"

#include "ui/views/library/SongDrag.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QStyledItemDelegate>
#include <algorithm>

namespace kelvane {

namespace {
// Keeps a cell's own text colour (the playing song's orange time) on a selected row, and
// puts the state icon where the track numbers are, on the right of their column.
class SongCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::ForegroundRole).isValid())
            option->palette.setBrush(QPalette::HighlightedText,
                                     option->palette.brush(QPalette::Text));
        if (option->text.isEmpty() && !option->icon.isNull())
            option->decorationPosition = QStyleOptionViewItem::Right;
    }
};
} // namespace

SongTable::SongTable(QWidget *parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed row heights: the table never measures thousands of rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setIconSize(QSize(14, 14));
    setItemDelegate(new SongCellDelegate(this));
    // A neutral selection: the accent colour marks the playing song (its icon and its
    // time), and must stay readable on a selected row.
    QPalette colours = palette();
    const QColor base = colours.color(QPalette::Base);
    const QColor text = colours.color(QPalette::Text);
    const auto mix = [](const QColor &a, const QColor &b, float t) {
        return QColor::fromRgbF(a.redF() * (1 - t) + b.redF() * t,
                                a.greenF() * (1 - t) + b.greenF() * t,
                                a.blueF() * (1 - t) + b.blueF() * t);
    };
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight,
                         mix(base, text, group == QPalette::Active ? 0.16f : 0.10f));
        colours.setColor(group, QPalette::HighlightedText, text);
    }
    setPalette(colours);
    // Every table gives its songs away; only the queue takes them.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

void SongTable::setDropsAccepted(bool accepted) {
    setAcceptDrops(accepted);
    viewport()->setAcceptDrops(accepted);
    setDropIndicatorShown(accepted);
    setDragDropOverwriteMode(false);
    setDragDropMode(accepted ? QAbstractItemView::DragDrop : QAbstractItemView::DragOnly);
    setDefaultDropAction(accepted ? Qt::MoveAction : Qt::CopyAction);
}

int SongTable::dropRow(QPoint viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid()) return model() ? model()->rowCount() : 0;
    const QRect rect = visualRect(index);
    return viewportPos.y() > rect.center().y() ? index.row() + 1 : index.row();
}

void SongTable::dragEnterEvent(QDragEnterEvent *event) {
    if (!acceptDrops() || !songdrag::carriesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    QTableView::dragEnterEvent(event);
    event->acceptProposedAction();
}

void SongTable::dragMoveEvent(QDragMoveEvent *event) {
    if (!acceptDrops() || !songdrag::carriesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // The base class draws the line between rows and scrolls near the edges.
    QTableView::dragMoveEvent(event);
    event->accept();
}

void SongTable::dropEvent(QDropEvent *event) {
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    if (!acceptDrops() || !songdrag::carriesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    Q_EMIT dropped(event->mimeData(), dropRow(event->position().toPoint()));
    // Reported as a copy: the rows that moved come back from the server as its edit, and
    // the drag's source must not take them out of its table itself.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

QList<qint32> SongTable::selectedRowsAscending() const {
    QList<qint32> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SongTable::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentIndex().isValid() && (event->modifiers() & Qt::ControlModifier)) {
            Q_EMIT playNextRequested(currentIndex().row());
            event->accept();
            return;
        }
        if (currentIndex().isValid()) {
            Q_EMIT playRequested(currentIndex().row());
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace: {
        // The row the key acts on must be one the user selected.
        const QList<qint32> rows = selectedRowsAscending();
        const int current = currentIndex().isValid() ? currentIndex().row() : -1;
        Q_EMIT deleteRequested(rows.contains(current) ? current : rows.value(0, -1));
    }
        event->accept();
        return;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex SongTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if ((action == MoveHome || action == MoveEnd) && model() && model()->rowCount() > 0) {
        const int row = action == MoveHome ? 0 : model()->rowCount() - 1;
        return model()->index(row, 0);
    }
    return QTableView::moveCursor(action, modifiers);
}

void SongTable::mouseDoubleClickEvent(QMouseEvent *event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        Q_EMIT playRequested(index.row());
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void SongTable::contextMenuEvent(QContextMenuEvent *event) {
    // Delivered through the viewport, so the position is in viewport coordinates.
    const QModelIndex index = indexAt(event->pos());
    Q_EMIT contextMenuRequested(index.isValid() ? index.row() : -1, event->globalPos());
    event->accept();
}

} // namespace kelvane
