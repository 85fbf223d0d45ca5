#include "ui/views/library/QueueView.h"

#include "core/commands/MPDCommand.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "core/mpd/PlayerEvents.h"
#include "core/notify/NotificationCenter.h"
#include "core/streams/MPDStream.h"
#include "ui/base/ConfirmDialog.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/QueueDeletion.h"
#include "ui/views/library/QueueDrop.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/SongDrag.h"
#include "ui/views/library/SongTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvane {

QueueView::QueueView(QWidget *parent) : QWidget(parent) {
    m_model = new QueueModel(this);
    m_table = new SongTable(this);
    m_table->setModel(m_model);
    m_table->setObjectName(QStringLiteral("queueTableView"));
    m_table->setAccessibleName(tr("Lecture en cours"));
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setDropsAccepted(true);
    connect(m_table, &SongTable::dropped, this, &QueueView::drop);

    auto *tools = new QHBoxLayout;
    tools->setContentsMargins(8, 4, 8, 4);
    tools->addStretch();
    const auto tool = [this, tools](const QString &id, const QString &text, auto slot) {
        auto *button = new QToolButton(this);
        button->setObjectName(id);
        button->setText(text);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, slot);
        tools->addWidget(button);
    };
    tool(QStringLiteral("shuffleButton"), tr("Mélanger"), &QueueView::shuffle);
    tool(QStringLiteral("clearButton"), tr("Vider la liste"), &QueueView::askToClear);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(tools);
    layout->addWidget(m_table);

    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QueueModel::Title, QHeaderView::Stretch);
    m_table->setColumnWidth(QueueModel::TrackNumber, 56);
    m_table->setColumnWidth(QueueModel::Artist, 190);
    m_table->setColumnWidth(QueueModel::AlbumColumn, 210);
    m_table->setColumnWidth(QueueModel::Time, 64);
    m_table->setColumnWidth(QueueModel::Year, 56);

    connect(m_table, &SongTable::playRequested, this, &QueueView::doubleClick);
    connect(m_table, &SongTable::deleteRequested, this, &QueueView::supprimer);
    connect(m_table, &SongTable::playNextRequested, this,
            [this](int row) { playNext(actedRows(row)); });
    connect(m_table, &SongTable::contextMenuRequested, this, &QueueView::showContextMenu);

    MPDCache &cache = MPDCache::sMPDCache();
    m_previousPosition = cache.getPosition();
    // Another client's edits (and ours) come in as changes, read as such.
    connect(&PlayerEvents::sPlayerEvents(), &PlayerEvents::queueChanged, this, &QueueView::request);
    reload();
    cache.setDelegateQueue(this);
    const auto &status = cache.getStatus();
    onStateChange(status ? status->state : 0, status ? status->titlePosition : -1);
}

QueueView::~QueueView() {
    MPDCache::sMPDCache().release(this);
    if (m_clearDialog) m_clearDialog->deleteLater();
}

namespace {
// The saved streams name the stream rows: read with the queue, and only when it holds a
// stream at all.
QList<Stream> streamsFor(const QList<Song> &songs) {
    const bool hasStream = std::any_of(songs.cbegin(), songs.cend(), [](const Song &song) {
        return playingmarks::isStreamPath(song.fullPath());
    });
    return hasStream ? MPDStream::sMPDStream().getStreamList().value_or(QList<Stream>{})
                     : QList<Stream>{};
}
} // namespace

void QueueView::reload() {
    m_whole = true;
    request();
}

void QueueView::request() {
    // One read at a time, each against the content the last one left: changes that
    // come in meanwhile are read after it, together.
    if (m_reading) {
        m_again = true;
        return;
    }
    m_reading = true;
    m_again = false;
    const bool whole = m_whole || m_content.version == 0;
    m_whole = false;
    struct Read {
        std::optional<QueueUpdate> update;
        QList<Stream> streams;
    };
    // The songs the read patches are the table's own: shared for the read's time only,
    // so the table edits its rows in place afterwards instead of copying the whole list.
    QueueContent held = m_content;
    held.songs = m_model->songs();
    MPDBulk::sMPDBulk().run(
        this,
        [whole, taken = std::move(held)]() mutable {
            // Released here, before the answer is sent, not whenever the task goes.
            const QueueContent before = std::move(taken);
            Read read;
            if (whole) {
                if (auto content = MPDQueue::sMPDQueue().readQueue()) {
                    read.update = QueueUpdate{};
                    read.update->diff = QueueDiff::between(before.ids, content->ids);
                    read.update->content = std::move(*content);
                    read.update->whole = true;
                }
            } else {
                read.update = MPDQueue::sMPDQueue().readChanges(before);
            }
            if (read.update) read.streams = streamsFor(read.update->content.songs);
            return read;
        },
        [this](Read read) {
            m_reading = false;
            if (read.update) {
                if (read.update->whole && m_content.version == 0) {
                    m_model->setQueue(read.update->content.songs, read.streams);
                } else {
                    // A removed current row makes the table pick another current row and
                    // scroll to it: an edit from elsewhere must not move the user's view.
                    const bool autoScroll = m_table->hasAutoScroll();
                    m_table->setAutoScroll(false);
                    m_model->applyChanges(read.update->content.songs, read.update->diff,
                                          read.streams);
                    m_table->setAutoScroll(autoScroll);
                }
                m_content = std::move(read.update->content);
                m_content.songs.clear();
                m_model->setStatus(MPDCache::sMPDCache().getStatus());
                reselect();
            } else if (!MPDSocket::sMPDSocket().isConnected()) {
                // Not connected: an empty table, read whole next time.
                m_model->setQueue({}, {});
                m_content = QueueContent{};
            }
            if (m_again) request();
        });
}

void QueueView::onStateChange(qint32 state, qint32 position) {
    m_model->setState(state);
    m_model->setStatus(MPDCache::sMPDCache().getStatus(), {position});
}

void QueueView::onTrackChange(qint32 position) {
    m_model->setStatus(MPDCache::sMPDCache().getStatus(), {m_previousPosition, position});
    m_previousPosition = position;
}

void QueueView::doubleClick(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    MPDCommand::sMPDCommand().playQueuePosition(quint32(row));
}

void QueueView::supprimer(qint32 contextRow) {
    const QueueDeletion deletion =
        QueueDeletion::plan(m_table->selectedRowsAscending(), contextRow, m_model->rowCount());
    if (deletion.positions.isEmpty()) return;
    if (deletion.stopFirst) MPDCommand::sMPDCommand().stop();
    MPDQueue::sMPDQueue().removeInQueue(deletion.positions);
    m_table->clearSelection();
    request();
}

void QueueView::showContextMenu(int row, QPoint globalPos) {
    QMenu menu(this);
    const bool onRow = row >= 0 && row < m_model->rowCount();
    const QList<qint32> rows = onRow ? actedRows(row) : QList<qint32>{};
    if (onRow) {
        menu.addAction(tr("Lire"), this, [this, row] { doubleClick(row); });
        QAction *next = menu.addAction(tr("Lire ensuite"), this, [this, rows] { playNext(rows); });
        // Said in the menu: the table's own key for it (SongTable).
        next->setShortcut(SongTable::playNextKey());
        next->setShortcutVisibleInContextMenu(true);
        QList<Song> songs;
        for (qint32 r : rows)
            songs.append(m_model->songs().value(r));
        playlistmenu::add(&menu, [songs](auto done) { done(songs); });
        QAction *remove = menu.addAction(tr("Supprimer"), this, [this, row] { supprimer(row); });
        remove->setShortcut(QKeySequence(Qt::Key_Delete));
        remove->setShortcutVisibleInContextMenu(true);
        menu.addSeparator();
    }
    QAction *shuffleAction = menu.addAction(tr("Mélanger"), this, &QueueView::shuffle);
    QAction *clearAction = menu.addAction(tr("Vider la liste"), this, &QueueView::askToClear);
    shuffleAction->setEnabled(m_model->rowCount() > 1);
    clearAction->setEnabled(m_model->rowCount() > 0);
    menu.exec(globalPos);
}

QList<qint32> QueueView::actedRows(int contextRow) const {
    const QList<qint32> selected = m_table->selectedRowsAscending();
    return selected.contains(contextRow) ? selected : QList<qint32>{contextRow};
}

void QueueView::reselectAfterMove(const QList<qint32> &rows) {
    m_reselectIds.clear();
    for (qint32 row : rows)
        if (row >= 0 && row < m_content.ids.size()) m_reselectIds.append(m_content.ids[row]);
}

void QueueView::moveRows(const QList<qint32> &rows, qint32 drop) {
    reselectAfterMove(rows);
    MPDQueue::sMPDQueue().moveRows(rows, drop);
    request();
}

void QueueView::playNext(const QList<qint32> &rows) {
    reselectAfterMove(rows);
    MPDQueue::sMPDQueue().playNext(rows);
    request();
}

void QueueView::reselect() {
    if (m_reselectIds.isEmpty()) return;
    QItemSelection selection;
    for (qsizetype row = 0; row < m_content.ids.size(); ++row) {
        if (m_reselectIds.contains(m_content.ids[row]))
            selection.select(m_model->index(int(row), 0),
                             m_model->index(int(row), m_model->columnCount() - 1));
    }
    m_reselectIds.clear();
    if (selection.isEmpty()) return;
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_table->selectionModel()->setCurrentIndex(selection.first().topLeft(),
                                               QItemSelectionModel::NoUpdate);
}

ConfirmDialog *QueueView::clearDialog() const {
    return m_clearDialog;
}

void QueueView::shuffle() {
    MPDQueue::sMPDQueue().shuffleQueue();
    request();
}

void QueueView::askToClear() {
    if (m_model->rowCount() == 0) return;
    if (m_clearDialog) {
        m_clearDialog->raise();
        return;
    }
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.removeObserver(this, clearDialogClose());
    center.observe(clearDialogClose(), this, [this](const NotificationInfo &info) {
        NotificationCenter::defaultCenter().removeObserver(this, clearDialogClose());
        if (m_clearDialog) m_clearDialog->deleteLater();
        if (info.value(QStringLiteral("close")) == QLatin1String("delete")) clearQueue();
    });
    m_clearDialog = new ConfirmDialog(
        tr("Vider la liste"),
        m_model->rowCount() == 1
            ? tr("Retirer le morceau de la lecture en cours ?")
            : tr("Retirer les %n morceaux de la lecture en cours ?", "", m_model->rowCount()),
        clearDialogClose(), window());
    m_clearDialog->showWindow();
}

void QueueView::clearQueue() {
    MPDQueue::sMPDQueue().clearQueue();
    m_table->clearSelection();
    request();
}

void QueueView::drop(const QMimeData *mime, qint32 row) {
    const QList<qint32> rows = songdrag::queueRows(mime);
    if (!rows.isEmpty()) {
        moveRows(rows, row);
        return;
    }
    queuedrop::insert(this, mime, row, [this] { request(); });
}

} // namespace kelvane
