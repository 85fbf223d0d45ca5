#include "ui/views/library/QueueView.h"

#include "core/commands/MPDCommand.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/PlayerEvents.h"
#include "core/streams/MPDStream.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/QueueDeletion.h"
#include "ui/views/library/QueueModel.h"
#include "ui/views/library/SongTable.h"

#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvane {

QueueView::QueueView(QWidget *parent) : QWidget(parent) {
    m_model = new QueueModel(this);
    m_table = new SongTable(this);
    m_table->setModel(m_model);
    m_table->setObjectName(QStringLiteral("queueTableView"));
    m_table->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
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
}

namespace {
// The saved streams name the stream rows: read with the queue, and only when it holds a
// stream at all.
QList<Stream> streamsFor(const QList<Song> &songs) {
    const bool hasStream = std::any_of(songs.cbegin(), songs.cend(), [](const Song &song) {
        return playingmarks::isStreamPath(song.fullPath());
    });
    return hasStream ? MPDStream::sMPDStream().getStreamList().value_or(QList<Stream>{}) : QList<Stream>{};
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
            const QueueContent held = std::move(taken);
            Read read;
            if (whole) {
                if (auto content = MPDQueue::sMPDQueue().readQueue()) {
                    read.update = QueueUpdate{};
                    read.update->diff = QueueDiff::between(held.ids, content->ids);
                    read.update->content = std::move(*content);
                    read.update->whole = true;
                }
            } else {
                read.update = MPDQueue::sMPDQueue().readChanges(held);
            }
            if (read.update) read.streams = streamsFor(read.update->content.songs);
            return read;
        },
        [this](Read read) {
            m_reading = false;
            if (read.update) {
                if (read.update->whole && m_content.version == 0)
                    m_model->setQueue(read.update->content.songs, read.streams);
                else
                    m_model->applyChanges(read.update->content.songs, read.update->diff, read.streams);
                m_content = std::move(read.update->content);
                m_content.songs.clear();
                m_model->setStatus(MPDCache::sMPDCache().getStatus());
            } else if (!MPDBulk::sMPDBulk().target()) {
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
    if (row < 0) return;
    QMenu menu(this);
    QAction *play = menu.addAction(QStringLiteral("Lire"));
    QAction *remove = menu.addAction(QStringLiteral("Supprimer"));
    QAction *chosen = menu.exec(globalPos);
    if (chosen == play)
        doubleClick(row);
    else if (chosen == remove)
        supprimer(row);
}

} // namespace kelvane
