#include "ui/views/library/PlaylistView.h"

#include "core/commands/MPDCommand.h"
#include "core/library/CurrentPlaylisyView.h"
#include "core/library/MPDPlayLists.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "ui/base/QueueMenu.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/SongTable.h"

#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

namespace kelvane {

void PlaylistView::setUpColumns(SongTable *table) {
    QHeaderView *header = table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(PlaylistModel::Title, QHeaderView::Stretch);
    table->setColumnWidth(PlaylistModel::TrackNumber, 48);
    table->setColumnWidth(PlaylistModel::Artist, 170);
    table->setColumnWidth(PlaylistModel::AlbumColumn, 190);
    table->setColumnWidth(PlaylistModel::Composer, 150);
    table->setColumnWidth(PlaylistModel::Time, 60);
    table->setColumnWidth(PlaylistModel::IsPlaying, 24);
}

PlaylistView::PlaylistView(QWidget *parent) : QWidget(parent) {
    m_model = new PlaylistModel(this);
    m_table = new SongTable(this);
    m_table->setObjectName(QStringLiteral("tableOutletPlaylist"));
    m_table->setAccessibleName(tr("Morceaux de la playlist"));
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setModel(m_model);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);

    setUpColumns(m_table);

    m_name = CurrentPlaylisyView::currentPlaylist();
    reload();
    connect(m_table, &SongTable::playRequested, this, &PlaylistView::doubleClick);
    connect(m_table, &SongTable::playNextRequested, this, [this](int row) {
        if (row < 0 || row >= m_model->rowCount()) return;
        MPDQueue::sMPDQueue().playSongsNext(songsActedOn(row));
    });
    connect(m_table, &SongTable::contextMenuRequested, this, &PlaylistView::showContextMenu);
}

void PlaylistView::reload() {
    if (m_name.isNull()) return;
    // On the bulk thread; only the latest read is shown.
    const quint64 ticket = ++m_ticket;
    MPDBulk::sMPDBulk().run(
        this, [name = m_name] { return MPDPlayLists::sMPDPlayLists().getPlaylist(name); },
        [this, ticket](std::optional<QList<Song>> songs) {
            if (ticket == m_ticket) m_model->setSongs(songs.value_or(QList<Song>{}));
        });
}

QList<Song> PlaylistView::songsActedOn(int row) const {
    // The selection when the row is part of it, else the row alone, as file managers do.
    QList<qint32> rows = m_table->selectedRowsAscending();
    if (!rows.contains(row)) rows = {row};
    QList<Song> songs;
    for (qint32 r : rows)
        songs.append(m_model->songs().value(r));
    return songs;
}

void PlaylistView::doubleClick(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    MPDCommand::sMPDCommand().playPlaylist(m_model->songs(), quint32(row));
}

void PlaylistView::showContextMenu(int row, QPoint globalPos) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const QList<Song> songs = songsActedOn(row);
    QMenu menu(this);
    queuemenu::add(
        &menu, tr("Lire"), [this, row] { doubleClick(row); },
        [songs](const queuemenu::SongsReady &ready) { ready(songs); });
    playlistmenu::add(&menu, [songs](const playlistmenu::SongsReady &ready) { ready(songs); });
    menu.exec(globalPos);
}

} // namespace kelvane
