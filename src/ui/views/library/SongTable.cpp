#include "ui/views/library/SongTable.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
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
