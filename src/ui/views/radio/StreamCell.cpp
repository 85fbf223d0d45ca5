#include "ui/views/radio/StreamCell.h"

#include "ui/base/Style.h"

#include <QPainter>

namespace kelvane {

void StreamCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString url = index.data(Qt::ToolTipRole).toString();
    if (url.isEmpty()) return;
    const QFontMetrics nameMetrics(option.font);
    const int nameWidth = nameMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    // The address takes what the name leaves, at most half the row.
    const QRect area = option.rect.adjusted(option.rect.width() / 2, 0, -10, 0);
    const int room = qMin(area.width(), option.rect.width() - nameWidth - 40);
    if (room < 60) return;
    painter->save();
    painter->setFont(Style::smallFont());
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : Style::secondaryLabelColor());
    const QString text = painter->fontMetrics().elidedText(url, Qt::ElideMiddle, room);
    painter->drawText(QRect(area.right() - room, area.top(), room, area.height()),
                      Qt::AlignRight | Qt::AlignVCenter, text);
    painter->restore();
}

} // namespace kelvane
