#include "ui/views/library/QueueView.h"

#include "core/commands/MPDCommand.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDCache.h"
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
    reload();
    cache.setDelegateQueue(this);
    const auto &status = cache.getStatus();
    onStateChange(status ? status->state : 0, status ? status->titlePosition : -1);
}

QueueView::~QueueView() {
    MPDCache::sMPDCache().release(this);
}

void QueueView::reload() {
    QList<Song> songs = MPDQueue::sMPDQueue().getQueue().value_or(QList<Song>{});
    // The saved streams name the stream rows; read them once for the whole table, and
    // only when the queue holds a stream at all.
    QList<Stream> streams;
    const bool hasStream = std::any_of(songs.cbegin(), songs.cend(), [](const Song &song) {
        return playingmarks::isStreamPath(song.fullPath());
    });
    if (hasStream) streams = MPDStream::sMPDStream().getStreamList().value_or(QList<Stream>{});
    m_model->setQueue(std::move(songs), streams);
    m_model->setStatus(MPDCache::sMPDCache().getStatus());
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
    reload();
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
