#include "ui/views/library/SongSearchPanel.h"

#include "core/commands/MPDCommand.h"
#include "core/library/CatalogueLoader.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "ui/base/QueueMenu.h"
#include "ui/base/Style.h"
#include "ui/views/library/AlbumItem.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/PlaylistView.h"
#include "ui/views/library/SongTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>
#include <utility>

namespace kelvane {

SongSearchPanel::SongSearchPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("songSearchPanel"));
    auto *heading = new QLabel(tr("Titres"), this);
    heading->setFont(Style::titleFont());
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("songSearchNote"));
    Style::setTextColor(m_note, Style::secondaryLabelColor());
    m_model = new PlaylistModel(this);
    m_table = new SongTable(this);
    m_table->setObjectName(QStringLiteral("songSearchTable"));
    m_table->setAccessibleName(tr("Titres trouvés"));
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setModel(m_model);
    PlaylistView::setUpColumns(m_table);
    m_table->setColumnHidden(PlaylistModel::IsPlaying, true);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(12, 6, 12, 4);
    top->addWidget(heading);
    top->addSpacing(12);
    top->addWidget(m_note, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addWidget(m_table);

    m_pool.setMaxThreadCount(1);
    connect(&CatalogueLoader::sCatalogueLoader(), &CatalogueLoader::finished, this,
            &SongSearchPanel::catalogueRead);

    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounceMs);
    connect(&m_debounce, &QTimer::timeout, this, &SongSearchPanel::searchNow);
    connect(m_table, &SongTable::playRequested, this, &SongSearchPanel::playAlbumOf);
    connect(m_table, &SongTable::playNextRequested, this,
            [this](int row) { MPDQueue::sMPDQueue().playSongsNext(songsFor(row)); });
    connect(m_table, &SongTable::contextMenuRequested, this, &SongSearchPanel::showContextMenu);
}

SongSearchPanel::~SongSearchPanel() {
    // A search in flight reads the index it holds, not this panel; its answer is dropped
    // with the panel. Waiting here keeps the pool's thread from outliving the widget.
    m_pool.clear();
    m_pool.waitForDone();
}

void SongSearchPanel::setText(const QString &text) {
    m_text = text.simplified();
    if (m_text.isEmpty()) {
        // An answer still on its way is for a text that is gone.
        ++m_ticket;
        m_debounce.stop();
        m_searching = false;
        m_waitingForCatalogue = false;
        m_model->setSongs({});
        m_note->clear();
        hide();
        return;
    }
    show();
    m_debounce.start();
}

void SongSearchPanel::searchNow() {
    m_debounce.stop();
    if (m_text.isEmpty()) return;
    const quint64 ticket = ++m_ticket;
    m_searching = true;
    MPDCache &cache = MPDCache::sMPDCache();
    std::shared_ptr<const SongIndex> index = cache.getCurrentSongIndex();
    if (!index) {
        // The songs come with the catalogue: the search follows its read.
        m_note->setText(tr("Recherche…"));
        m_waitingForCatalogue = true;
        CatalogueLoader::sCatalogueLoader().load();
        return;
    }
    const auto find = [index, text = m_text, limit = m_limit] { return index->find(text, limit); };
    if (s_inline) {
        const SongIndex::Found found = find();
        showFound(found.songs, found.cut);
        return;
    }
    // Keystrokes come faster than searches at worst: one runs at a time, and one whose
    // text has been typed over by then is skipped.
    auto latest = m_latest;
    latest->store(ticket);
    QtConcurrent::run(&m_pool, [find, latest, ticket]() -> std::optional<SongIndex::Found> {
        if (latest->load() != ticket) return std::nullopt;
        return find();
    }).then(this, [this, ticket](std::optional<SongIndex::Found> found) {
        if (ticket != m_ticket || !found) return;
        showFound(found->songs, found->cut);
    });
}

void SongSearchPanel::catalogueRead() {
    if (!std::exchange(m_waitingForCatalogue, false)) return;
    if (MPDCache::sMPDCache().getCurrentSongIndex()) {
        searchNow();
        return;
    }
    // Not connected (or the read failed): nothing to look in.
    ++m_ticket;
    m_searching = false;
    m_model->setSongs({});
    m_note->setText(tr("Recherche impossible"));
    Q_EMIT searched();
}

void SongSearchPanel::showFound(const QList<Song> &songs, bool cut) {
    m_searching = false;
    m_model->setSongs(songs);
    if (songs.isEmpty())
        m_note->setText(tr("Aucun titre"));
    else if (cut)
        m_note->setText(tr("Plus de %1 titres : seuls les %1 premiers sont affichés, "
                           "précisez la recherche.")
                            .arg(songs.size()));
    else
        m_note->setText(tr("%n titre(s)", "", int(songs.size())));
    Q_EMIT searched();
}

void SongSearchPanel::playAlbumOf(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const Song song = m_model->songs()[row];
    Album album;
    album.path = MPDAlbum::directoryOf(song.fullPath());
    album.albumName = song.album().isEmpty() ? QString() : song.album();
    // The album's songs are read where the long reads go; it plays from this song.
    MPDBulk::sMPDBulk().run(
        this, [album] { return MPDAlbum::sMPDAlbum().getAlbumContent(album); },
        [name = album.albumName, uri = song.fullPath()](std::optional<QList<Song>> content) {
            if (!content) return;
            QStringList uris;
            for (const Song &s : AlbumItem::songsOfAlbum(*content, name))
                uris.append(s.fullPath());
            const qsizetype at = uris.indexOf(uri);
            if (at < 0) {
                // Gone from the database since the search: said, and the queue stays.
                MPDServerError::sMPDServerError().sendMessage(
                    QString::fromLatin1(nothingToPlayMessage));
                return;
            }
            MPDCommand::sMPDCommand().playAlbum(uris, quint32(at));
        });
}

QList<Song> SongSearchPanel::songsFor(int contextRow) const {
    QList<qint32> rows = m_table->selectedRowsAscending();
    if (!rows.contains(contextRow)) rows = {contextRow};
    QList<Song> songs;
    for (qint32 row : rows)
        if (row >= 0 && row < m_model->rowCount()) songs.append(m_model->songs()[row]);
    return songs;
}

void SongSearchPanel::showContextMenu(int row, QPoint globalPos) {
    if (row < 0 || row >= m_model->rowCount()) return;
    QMenu menu(this);
    fillContextMenu(&menu, row);
    menu.exec(globalPos);
}

void SongSearchPanel::fillContextMenu(QMenu *menu, int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const QList<Song> songs = songsFor(row);
    queuemenu::add(
        menu, tr("Lire l'album"), [this, row] { playAlbumOf(row); },
        [songs](const queuemenu::SongsReady &ready) { ready(songs); });
    playlistmenu::add(menu, [songs](const playlistmenu::SongsReady &ready) { ready(songs); });
}

} // namespace kelvane
