#include "ui/views/radio/StreamView.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/streams/MPDStream.h"
#include "ui/base/ConfirmDialog.h"
#include "ui/base/QueueMenu.h"
#include "ui/base/Style.h"
#include "ui/views/radio/StreamCell.h"
#include "ui/views/radio/StreamEdit.h"
#include "ui/views/radio/StreamListing.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvane {

namespace {
const QString editClosed = QStringLiteral("editStreamBoxClose");
const QString deleteClosed = QStringLiteral("deleteStreamBoxClose");
} // namespace

StreamView::StreamView(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StreamView"));
    m_table = new QTableWidget(0, 1, this);
    m_table->setObjectName(QStringLiteral("streamTableView"));
    m_table->setAccessibleName(tr("Streams enregistrés"));
    m_table->setHorizontalHeaderLabels({tr("Nom")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->verticalHeader()->hide();
    m_table->setShowGrid(false);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setAlternatingRowColors(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->verticalHeader()->setDefaultSectionSize(28);
    m_table->installEventFilter(this);
    m_table->setItemDelegate(new StreamCell(m_table));
    m_table->setStyleSheet(QStringLiteral("QTableWidget::item { padding-left: 6px; }"));

    m_empty = new QLabel(tr("Aucun stream enregistré"), this);
    m_empty->setAlignment(Qt::AlignCenter);
    Style::setTextColor(m_empty, Style::secondaryLabelColor());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    layout->addWidget(m_empty);

    connect(m_table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { doubleClick(row); });
    connect(m_table, &QTableWidget::customContextMenuRequested, this, &StreamView::showContextMenu);

    MPDCache::sMPDCache().setDelegateStream(this);
    NotificationCenter &hub = NotificationCenter::defaultCenter();
    hub.observe(editClosed, this, [this](const NotificationInfo &) { editBoxListener(); });
    hub.observe(deleteClosed, this,
                [this](const NotificationInfo &info) { deleteBoxListener(info); });

    reload();
}

StreamView::~StreamView() {
    MPDCache::sMPDCache().release(this);
    NotificationCenter::defaultCenter().removeObserver(this);
    // Its answer would reach no one: a confirmation goes with the view that asked.
    delete m_confirm;
}

StreamEdit *StreamView::streamEdit() const {
    return m_streamEdit;
}

void StreamView::onStreamChange() {
    reload();
}

void StreamView::reload() {
    // On the bulk thread; only the latest read is shown. Not connected:
    // an empty list, nothing reported here.
    const quint64 ticket = ++m_ticket;
    MPDBulk::sMPDBulk().run(
        this, [] { return MPDStream::sMPDStream().getStreamList(); },
        [this, ticket](std::optional<QList<Stream>> streams) {
            if (ticket != m_ticket) return;
            m_streamArray = StreamListing::sortList(streams.value_or(QList<Stream>{}));
            updateTable();
        });
}

void StreamView::updateTable() {
    m_table->clearContents();
    m_table->setRowCount(int(m_streamArray.size()));
    for (int row = 0; row < m_streamArray.size(); ++row) {
        const Stream &stream = m_streamArray.at(row);
        auto *item = new QTableWidgetItem(stream.name);
        item->setToolTip(stream.url);
        m_table->setItem(row, 0, item);
    }
    m_table->setVisible(!m_streamArray.isEmpty());
    m_empty->setVisible(m_streamArray.isEmpty());
}

void StreamView::doubleClick(int row) {
    if (isRow(row)) MPDCommand::sMPDCommand().playStream(m_streamArray.at(row).url);
}

void StreamView::menuWillOpen(int row) {
    m_rowStreamSelected = row;
}

void StreamView::showContextMenu(const QPoint &pos) {
    const int row = m_table->indexAt(pos).row();
    menuWillOpen(row);
    if (!isRow(row)) return;
    QMenu menu(this);
    fillContextMenu(&menu, row);
    menu.exec(m_table->viewport()->mapToGlobal(pos));
}

void StreamView::fillContextMenu(QMenu *menu, int row) {
    if (!isRow(row)) return;
    // The streams picked: the selection when the row is part of it, else the row.
    QList<Song> streams;
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    QList<int> rows;
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (!rows.contains(row)) rows = {row};
    for (int r : rows) {
        if (!isRow(r)) continue;
        Song stream;
        stream.setFullPath(m_streamArray.at(r).url);
        streams.append(stream);
    }
    queuemenu::add(
        menu, tr("Lire"), [this, row] { doubleClick(row); },
        [streams](const queuemenu::SongsReady &ready) { ready(streams); });
    menu->addSeparator();
    QAction *editAction = menu->addAction(tr("Modifier…"), this, &StreamView::edit);
    QAction *deleteAction = menu->addAction(tr("Supprimer"), this, &StreamView::deleteStreams);
    editAction->setEnabled(!m_editActive);
    deleteAction->setEnabled(!m_editActive && !m_selectedItems);
}

// Return plays the current row; Delete asks to delete it (or the selection).
bool StreamView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const int row = m_table->currentRow();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            doubleClick(row);
            return true;
        }
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            menuWillOpen(row);
            deleteStreams();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A window closed by other means than its buttons posts nothing: once neither the
// editor nor the confirmation is open any more, edit and delete are available again.
void StreamView::settleEditActive() {
    const bool editorOpen = m_streamEdit && m_streamEdit->isVisible();
    const bool confirmOpen = m_confirm && m_confirm->isVisible();
    if (!confirmOpen) m_selectedItems.reset();
    if (!editorOpen && !confirmOpen) m_editActive = false;
}

void StreamView::edit() {
    settleEditActive();
    if (m_editActive || !isRow(m_rowStreamSelected)) return;
    // The editor belongs to the window, not to this view, so that switching views
    // does not take an open editor away.
    auto *editor = new StreamEdit(m_streamArray.at(m_rowStreamSelected), window());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    m_streamEdit = editor;
    editor->showWindow();
    m_editActive = true;
}

void StreamView::deleteStreams() {
    // An open confirmation keeps its positions, even when "editStreamBoxClose" from
    // another editor has cleared editActive meanwhile.
    settleEditActive();
    if (m_editActive || m_selectedItems) return;
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());

    if (rows.size() < 2) {
        if (!isRow(m_rowStreamSelected)) return;
        const Stream &stream = m_streamArray.at(m_rowStreamSelected);
        confirmDeletion({stream.position}, tr("Confirmer la suppression de: %1").arg(stream.name));
        return;
    }
    // Several rows: their positions as the server holds them now, read off this thread.
    QStringList urls;
    for (int row : rows) {
        if (isRow(row)) urls.append(m_streamArray.at(row).url);
    }
    const quint64 ticket = ++m_deletionTicket;
    MPDBulk::sMPDBulk().run(
        this, [] { return MPDStream::sMPDStream().getStreamList(); },
        [this, ticket, urls](std::optional<QList<Stream>> current) {
            if (ticket != m_deletionTicket || !current) return;
            settleEditActive();
            if (m_editActive || m_selectedItems) return;
            const QList<qint32> positions = StreamListing::positionsForAddresses(urls, *current);
            confirmDeletion(positions, tr("Confirmer la suppression des %n éléments", "",
                                          int(positions.size())));
        });
}

void StreamView::confirmDeletion(const QList<qint32> &positions, const QString &message) {
    m_selectedItems = positions;
    openConfirmation(message);
    m_editActive = true;
}

void StreamView::openConfirmation(const QString &message) {
    // The previous dialog has answered (or been closed) by now; it goes with the new one.
    if (m_confirm) m_confirm->deleteLater();
    auto *dialog =
        new ConfirmDialog(QStringList{tr("Supprimer stream"), message, deleteClosed}, window());
    m_confirm = dialog;
    dialog->showWindow();
}

void StreamView::deleteBoxListener(const NotificationInfo &info) {
    // Only the view that asked acts, once per confirmation.
    const std::optional<QList<qint32>> positions = std::exchange(m_selectedItems, std::nullopt);
    m_editActive = false;
    if (!positions || info.value(QStringLiteral("close")) != QLatin1String("delete")) return;
    MPDStream &streams = MPDStream::sMPDStream();
    for (quint32 position : StreamListing::deletionSequence(*positions))
        streams.deleteStream(position);
    reload();
}

void StreamView::editBoxListener() {
    m_editActive = false;
}

} // namespace kelvane
