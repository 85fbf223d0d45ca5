#include "ui/SideBar.h"

#include "ui/base/Icons.h"
#include "ui/base/SidebarItem.h"
#include "ui/base/Style.h"
#include "ui/views/library/SongDrag.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace kelvane {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kEntryHeight = 32;
constexpr int kHeaderHeight = 34;
} // namespace

QStringList SideBar::sources() {
    return {QStringLiteral("Library"), QStringLiteral("Queue"), QStringLiteral("Stream"),
            QStringLiteral("Radio")};
}

SideBar::SideBar(QWidget *parent) : QTreeWidget(parent), m_topLevel{source(), playlist()} {
    setObjectName(QStringLiteral("sideBar"));
    m_items.insert(source(), sources());
    m_items.insert(playlist(), {});
    setHeaderHidden(true);
    setColumnCount(1);
    // Hidden, but screen readers still read the column's title.
    setHeaderLabel(tr("Navigation"));
    setAccessibleName(tr("Navigation"));
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    const QColor bg = Style::sidebarBackground();
    setStyleSheet(QStringLiteral(
                      "QTreeWidget { background: %1; border: none; outline: 0; padding-top: 6px; }"
                      "QTreeWidget::item { border: none; border-radius: 7px; margin: 0px 8px; }"
                      "QTreeWidget::item:selected { background: %2; }"
                      "QTreeWidget::item:hover:!selected { background: rgba(128,128,128,0.14); }"
                      // The keyboard's row: a ring in the text colour, over the accent too.
                      "QTreeWidget::item:focus { border: 2px solid palette(text); }"
                      "QTreeWidget::branch { background: transparent; border: none; image: none; }")
                      .arg(bg.name(), Style::accent().name()));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &SideBar::onSelectionChanged);
    // "Source" stays open whatever asks it to close.
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *item) {
        if (item->data(0, kNameRole).toString() == source())
            item->setExpanded(true);
        else
            m_playlistExpanded = false;
        updateHeaderChevron();
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (item->data(0, kNameRole).toString() == playlist()) m_playlistExpanded = true;
        updateHeaderChevron();
    });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (item->data(0, kNameRole).toString() == playlist())
            setPlaylistGroupExpanded(!item->isExpanded());
    });
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    m_dragOpen.setSingleShot(true);
    m_dragOpen.setInterval(dragOpenDelayMs);
    connect(&m_dragOpen, &QTimer::timeout, this, [this] { selectName(QStringLiteral("Queue")); });
    reloadData();
}

void SideBar::setPlaylists(const QStringList &names) {
    m_items.insert(playlist(), names);
}

QString SideBar::displayText(const QString &name) {
    // The names are the views' identifiers (and stored as the last view shown); what the
    // user reads is translated.
    if (name == QLatin1String("Library")) return tr("Albums");
    if (name == QLatin1String("Queue")) return tr("Lecture en cours");
    if (name == QLatin1String("Stream")) return tr("Stream");
    if (name == QLatin1String("Radio")) return tr("Radio");
    return name;
}

QString SideBar::iconName(const QString &name, bool isPlaylist) {
    if (isPlaylist) return QStringLiteral("sidebar_playlist");
    if (name == QLatin1String("Library")) return QStringLiteral("sidebar_album");
    if (name == QLatin1String("Queue")) return QStringLiteral("sidebar_queue");
    if (name == QLatin1String("Stream")) return QStringLiteral("sidebar_stream");
    return QStringLiteral("sidebar_radio");
}

QWidget *SideBar::headerCell(const QString &name) {
    auto *cell = new QWidget;
    cell->setAttribute(Qt::WA_TranslucentBackground);
    auto *label = new QLabel(name == playlist() ? tr("Playlist") : tr("Source"), cell);
    label->setObjectName(QStringLiteral("headerText"));
    label->setFont(Style::headerFont());
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Style::setTextColor(label, Style::secondaryLabelColor());
    auto *row = new QHBoxLayout(cell);
    row->setContentsMargins(14, 10, 8, 2);
    row->addWidget(label);
    row->addStretch();
    if (name == playlist()) {
        auto *chevron = new QToolButton(cell);
        chevron->setObjectName(QStringLiteral("playlistChevron"));
        chevron->setAutoRaise(true);
        chevron->setFocusPolicy(Qt::NoFocus);
        chevron->setToolTip(tr("Afficher ou masquer les playlists"));
        chevron->setAccessibleName(tr("Afficher ou masquer les playlists"));
        chevron->setStyleSheet(QStringLiteral("QToolButton { border: none; color: %1; }")
                                   .arg(Style::secondaryLabelColor().name()));
        connect(chevron, &QToolButton::clicked, this,
                [this] { setPlaylistGroupExpanded(!isPlaylistGroupExpanded()); });
        row->addWidget(chevron);
    }
    return cell;
}

void SideBar::updateHeaderChevron() {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = topLevelItem(i);
        if (top->data(0, kNameRole).toString() != playlist()) continue;
        if (QWidget *cell = itemWidget(top, 0))
            if (auto *chevron = cell->findChild<QToolButton *>(QStringLiteral("playlistChevron")))
                chevron->setArrowType(top->isExpanded() ? Qt::DownArrow : Qt::RightArrow);
    }
}

void SideBar::reloadData() {
    const QString selected = selectedName();
    m_reloading = true;
    m_cells.clear();
    clear();
    for (const QString &header : m_topLevel) {
        auto *top = new QTreeWidgetItem(this);
        top->setData(0, kNameRole, header);
        // Group headers are titles, not destinations.
        top->setFlags(Qt::ItemIsEnabled);
        top->setSizeHint(0, QSize(1, kHeaderHeight));
        // The rows are drawn by widgets; their items carry the text screen readers read.
        top->setData(0, Qt::AccessibleTextRole, header);
        setItemWidget(top, 0, headerCell(header));
        for (const QString &name : m_items.value(header)) {
            auto *child = new QTreeWidgetItem(top);
            child->setData(0, kNameRole, name);
            child->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            child->setSizeHint(0, QSize(1, kEntryHeight));
            // A playlist's name is the server's, shown as it is in every language.
            const QString shown = header == playlist() ? name : displayText(name);
            child->setToolTip(0, shown);
            child->setData(0, Qt::AccessibleTextRole, shown);
            auto *cell = new SidebarItem;
            cell->setText(shown);
            cell->setIcon(Icons::icon(iconName(name, header == playlist())));
            cell->setContentsMargins(0, 0, 0, 0);
            if (name == QLatin1String("Library")) cell->setBadge(albumBadge());
            setItemWidget(child, 0, cell);
            m_cells.insert(child, cell);
        }
        top->setExpanded(header == source() || m_playlistExpanded);
    }
    updateHeaderChevron();
    if (QTreeWidgetItem *item = selected.isEmpty() ? nullptr : itemOfName(selected))
        selectItem(item);
    m_reloading = false;
    // The same entry as before: the view it shows stays as it is.
    showHighlight();
}

void SideBar::expandEverything() {
    m_playlistExpanded = true;
    expandAll();
    updateHeaderChevron();
}

void SideBar::setPlaylistGroupExpanded(bool expanded) {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->data(0, kNameRole).toString() == playlist())
            topLevelItem(i)->setExpanded(expanded);
    m_playlistExpanded = expanded;
    updateHeaderChevron();
}

bool SideBar::isPlaylistGroupExpanded() const {
    return m_playlistExpanded;
}

QList<QTreeWidgetItem *> SideBar::visibleItems() const {
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = topLevelItem(i);
        rows << top;
        if (top->isExpanded())
            for (int j = 0; j < top->childCount(); ++j)
                rows << top->child(j);
    }
    return rows;
}

int SideBar::rowCount() const {
    return int(visibleItems().size());
}

int SideBar::rowOfName(const QString &name) const {
    const QList<QTreeWidgetItem *> rows = visibleItems();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i]->data(0, kNameRole).toString() == name) return i;
    return -1;
}

QTreeWidgetItem *SideBar::itemAtRow(int row) const {
    const QList<QTreeWidgetItem *> rows = visibleItems();
    return row >= 0 && row < rows.size() ? rows[row] : nullptr;
}

QString SideBar::nameAtRow(int row) const {
    QTreeWidgetItem *item = itemAtRow(row);
    return item ? item->data(0, kNameRole).toString() : QString();
}

int SideBar::rowAtPoint(const QPoint &viewportPoint) const {
    QTreeWidgetItem *item = itemAt(viewportPoint);
    return item ? int(visibleItems().indexOf(item)) : -1;
}

bool SideBar::selectRow(int row) {
    QTreeWidgetItem *item = itemAtRow(row);
    if (!item || !(item->flags() & Qt::ItemIsSelectable)) return false;
    setCurrentItem(item);
    item->setSelected(true);
    return true;
}

bool SideBar::selectName(const QString &name) {
    QTreeWidgetItem *item = itemOfName(name);
    if (!item || !(item->flags() & Qt::ItemIsSelectable)) return false;
    selectItem(item);
    return true;
}

void SideBar::selectItem(QTreeWidgetItem *item) {
    // Making a row current scrolls to it, and a tree unfolds a group to scroll to a row
    // inside it: a folded group stays folded.
    const bool folded = item->parent() && !item->parent()->isExpanded();
    const bool scrolls = hasAutoScroll();
    if (folded) setAutoScroll(false);
    setCurrentItem(item);
    item->setSelected(true);
    setAutoScroll(scrolls);
}

QTreeWidgetItem *SideBar::itemOfName(const QString &name) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = topLevelItem(i);
        for (int j = 0; j < top->childCount(); ++j)
            if (top->child(j)->data(0, kNameRole).toString() == name) return top->child(j);
    }
    return nullptr;
}

bool SideBar::hasEntry(const QString &name) const {
    return m_items.value(source()).contains(name) || m_items.value(playlist()).contains(name);
}

QString SideBar::selectedName() const {
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->data(0, kNameRole).toString();
}

void SideBar::setAlbumCount(int count) {
    m_albumCount = count;
    if (SidebarItem *cell = cellOf(QStringLiteral("Library"))) cell->setBadge(albumBadge());
}

QString SideBar::albumBadge() const {
    // Not read yet: no number rather than a 0 that says the library is empty.
    return m_albumCount < 0 ? QString() : QString::number(m_albumCount);
}

SidebarItem *SideBar::cellOf(const QString &name) const {
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it)
        if (it.key()->data(0, kNameRole).toString() == name) return it.value();
    return nullptr;
}

void SideBar::showHighlight() {
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it)
        it.value()->setSelected(it.key()->isSelected());
}

void SideBar::onSelectionChanged() {
    showHighlight();
    if (m_reloading) return;
    const QString name = selectedName();
    if (!name.isEmpty() && !isHeader(name)) Q_EMIT entrySelected(name);
}

// Only choosing an entry moves the highlight, since the highlight says which view is
// shown: a click on a header or on the empty area, or Ctrl on the selected row, would
// otherwise clear it while the view stays.
QItemSelectionModel::SelectionFlags SideBar::selectionCommand(const QModelIndex &index,
                                                              const QEvent *event) const {
    if (!index.isValid() || !(index.flags() & Qt::ItemIsSelectable))
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QTreeWidget::selectionCommand(index, event);
    if (command & QItemSelectionModel::Deselect) return QItemSelectionModel::NoUpdate;
    return command;
}

// Buttons other than the left one choose nothing: a right click opens the context menu
// on its row (contextMenuEvent) and leaves the selection, the current row and the
// "Playlist" group as they are.
void SideBar::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void SideBar::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void SideBar::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void SideBar::contextMenuEvent(QContextMenuEvent *event) {
    Q_EMIT contextMenuRequested(rowAtPoint(event->pos()), event->globalPos());
    event->accept();
}

} // namespace kelvane

namespace kelvane {

void SideBar::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    const bool playlistKey = key == Qt::Key_Delete || key == Qt::Key_Backspace || key == Qt::Key_F2;
    const QString name = selectedName();
    // Only a stored playlist's row (6 and on) answers; the sources ignore these keys.
    if (playlistKey && event->modifiers() == Qt::NoModifier && rowOfName(name) >= 6) {
        Q_EMIT playlistKeyPressed(name, key == Qt::Key_F2 ? Qt::Key_F2 : Qt::Key_Delete);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace kelvane

namespace kelvane {

// Only "Queue" takes drops: the albums, streams, radio and stored playlists are not
// places a song can be put by dropping it on their name.
bool SideBar::takesDropAt(const QMimeData *mime, const QPoint &viewportPoint) const {
    return songdrag::carriesDrop(mime) &&
           nameAtRow(rowAtPoint(viewportPoint)) == QLatin1String("Queue");
}

void SideBar::setDropTarget(bool onQueue) {
    if (m_dropTarget == onQueue) return;
    m_dropTarget = onQueue;
    viewport()->update();
}

void SideBar::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                      const QModelIndex &index) const {
    QTreeWidget::drawRow(painter, option, index);
    if (!m_dropTarget || index.data(kNameRole).toString() != QLatin1String("Queue")) return;
    // The row a drop would land on, outlined as the rows are drawn (8 px in, rounded).
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(Style::accent(), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option.rect).adjusted(9, 1, -9, -1), 7, 7);
    painter->restore();
}

// Entering the sidebar is accepted for any drag of ours, so the moves over it keep
// coming (the move that follows the entry says whether a drop there would be taken).
void SideBar::dragEnterEvent(QDragEnterEvent *event) {
    if (!songdrag::carriesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void SideBar::dragMoveEvent(QDragMoveEvent *event) {
    const QPoint at = event->position().toPoint();
    const bool onQueue = takesDropAt(event->mimeData(), at);
    setDropTarget(onQueue);
    if (!onQueue) {
        m_dragOpen.stop();
        // Asked again at every move: the pointer may reach "Queue" without leaving.
        event->ignore(QRect());
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept(visualItemRect(itemAt(at)));
    // The queue opens once the pointer rests here, not at every move across it; when it is
    // on screen already there is nothing to open.
    if (!m_dragOpen.isActive() && selectedName() != QLatin1String("Queue")) m_dragOpen.start();
}

void SideBar::dragLeaveEvent(QDragLeaveEvent *event) {
    m_dragOpen.stop();
    setDropTarget(false);
    event->accept();
}

void SideBar::dropEvent(QDropEvent *event) {
    m_dragOpen.stop();
    setDropTarget(false);
    if (!takesDropAt(event->mimeData(), event->position().toPoint())) {
        event->ignore();
        return;
    }
    // A copy, whatever was proposed: the drag's source must not take the rows out of its
    // own table.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT droppedOnQueue(event->mimeData());
}

} // namespace kelvane
