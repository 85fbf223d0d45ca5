#include "ui/views/library/AlbumContentView.h"

#include "core/commands/MPDCommand.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDCache.h"
#include "core/notify/NotificationCenter.h"
#include "ui/base/QueueMenu.h"
#include "ui/views/library/AlbumContentModel.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/SongTable.h"

#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace kelvane {

namespace {
QLabel *headerLabel(QWidget *parent, qreal pointScale, bool bold) {
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * pointScale);
    font.setBold(bold);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

AlbumContentView::AlbumContentView(QWidget *parent) : QWidget(parent) {
    m_albumName = headerLabel(this, 1.3, true);
    m_artistName = headerLabel(this, 1.05, false);
    m_genreAndYear = headerLabel(this, 0.9, false);
    m_durationText = headerLabel(this, 0.9, false);
    m_logoAudio = new QLabel(this);
    m_logoAudio->setFixedSize(44, 22);
    m_logoAudio->setScaledContents(false);
    for (QLabel *label : {m_genreAndYear, m_durationText}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, librarystyle::secondaryColour(palette));
        label->setPalette(palette);
    }

    m_model = new AlbumContentModel(this);
    m_table = new SongTable(this);
    m_table->setObjectName(QStringLiteral("albumTableView"));
    m_table->setAccessibleName(tr("Morceaux de l'album"));
    m_table->setModel(m_model);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->verticalHeader()->setDefaultSectionSize(19);
    QHeaderView *header = m_table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(AlbumContentModel::Title, QHeaderView::Stretch);
    m_table->setColumnWidth(AlbumContentModel::TrackNumber, 58);
    m_table->setColumnWidth(AlbumContentModel::Time, 58);

    auto *head = new QGridLayout;
    head->setContentsMargins(14, 10, 14, 6);
    head->setHorizontalSpacing(10);
    head->setVerticalSpacing(2);
    head->addWidget(m_albumName, 0, 0);
    head->addWidget(m_artistName, 1, 0);
    head->addWidget(m_genreAndYear, 2, 0);
    head->addWidget(m_logoAudio, 0, 1, Qt::AlignRight | Qt::AlignTop);
    head->addWidget(m_durationText, 2, 1, Qt::AlignRight);
    head->setColumnStretch(0, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(head);
    layout->addWidget(m_table, 1);

    m_content = MPDCache::sMPDCache().getAlbumContentArray().value_or(QList<Song>{});
    m_model->setSongs(m_content);
    connect(m_table, &SongTable::playRequested, this, &AlbumContentView::doubleClick);
    connect(m_table, &SongTable::playNextRequested, this,
            [this](int row) { MPDQueue::sMPDQueue().playSongsNext(songsFor(row)); });
    connect(m_table, &SongTable::contextMenuRequested, this, &AlbumContentView::showContextMenu);

    setHead();
    updateStatus();
    NotificationCenter::defaultCenter().observe(
        QStringLiteral("statusChanged"), this,
        [this](const NotificationInfo &) { updateStatus(); });
}

void AlbumContentView::setHead() {
    if (m_content.isEmpty()) return;
    const Song &first = m_content.first();
    m_albumName->setText(first.album());
    m_artistName->setText(playingmarks::rowArtist(first));
    m_genreAndYear->setText(librarytext::genreAndYearText(first.genre(), first.date()));
    setHeadTime();
    setHeadLogo();
}

void AlbumContentView::setHeadTime() {
    double total = 0;
    for (const Song &song : m_content)
        total += song.duration();
    m_durationText->setText(librarytext::totalTimeText(total));
}

void AlbumContentView::setHeadLogo() {
    m_badge = librarytext::badgeName(m_content.first());
    if (m_badge.isNull()) return;
    m_logoAudio->setPixmap(librarystyle::pixmap(m_badge, m_logoAudio->size(), devicePixelRatioF()));
    auto *shadow = new QGraphicsDropShadowEffect(m_logoAudio);
    shadow->setBlurRadius(1.5);
    shadow->setOffset(0.5, 1.5);
    shadow->setColor(QColor(0, 0, 0, 153));
    m_logoAudio->setGraphicsEffect(shadow);
}

void AlbumContentView::updateStatus() {
    m_model->setStatus(MPDCache::sMPDCache().getStatus());
}

AlbumContentView::PlayRequest AlbumContentView::playRequestFor(const QList<Song> &content,
                                                               int row) {
    PlayRequest request;
    if (row < 0 || row >= content.size()) return request;
    const Song &clicked = content[row];
    const QString album = clicked.album();
    // A song without an Album tag reads "": ask for the untagged songs, not for songs
    // whose tag is some text.
    request.albumName = album.isEmpty() ? QString() : album;
    request.path = MPDAlbum::directoryOf(clicked.fullPath());
    // The queue gets only this album's songs of the directory, in the directory's
    // order, so the clicked song's place is counted among them.
    for (int i = 0; i < row; ++i) {
        if (content[i].album() == album) ++request.position;
    }
    return request;
}

void AlbumContentView::doubleClick(int row) {
    if (row < 0 || row >= m_content.size()) return;
    const PlayRequest request = playRequestFor(m_content, row);
    MPDCommand::sMPDCommand().playAlbum(request.albumName, request.path, request.position);
}

QList<Song> AlbumContentView::songsFor(qint32 contextRow) const {
    const QList<qint32> selected = m_table->selectedRowsAscending();
    QList<Song> songs;
    if (selected.size() < 2) {
        if (contextRow < 0 || contextRow >= m_content.size()) return songs;
        songs.append(m_content[contextRow]);
    } else {
        for (qint32 row : selected) {
            if (row < m_content.size()) songs.append(m_content[row]);
        }
    }
    return songs;
}

void AlbumContentView::addToQueue(qint32 contextRow) {
    const QList<Song> songs = songsFor(contextRow);
    if (!songs.isEmpty()) MPDQueue::sMPDQueue().addToQueue(songs);
}

void AlbumContentView::showContextMenu(int row, QPoint globalPos) {
    if (row < 0) return;
    QMenu menu(this);
    fillContextMenu(&menu, row);
    menu.exec(globalPos);
}

void AlbumContentView::fillContextMenu(QMenu *menu, int row) {
    if (row < 0 || row >= m_content.size()) return;
    const QList<Song> songs = songsFor(row);
    queuemenu::add(
        menu, tr("Lire"), [this, row] { doubleClick(row); },
        [songs](const queuemenu::SongsReady &ready) { ready(songs); });
    playlistmenu::add(menu, [songs](const playlistmenu::SongsReady &ready) { ready(songs); });
}

} // namespace kelvane
