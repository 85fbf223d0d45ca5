#pragma once

#include <QStyledItemDelegate>

namespace kelvane {

// Draws a row of the stream list: the name as the table would, and the stream's
// address (the item's tool tip) dimmed at the right, so two streams of the same name
// can be told apart. GUI thread.
class StreamCell : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

} // namespace kelvane
