#include "ui/views/library/AlbumsView.h"

#include "core/library/CatalogueLoader.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "ui/base/Accessibility.h"
#include "ui/base/QueueMenu.h"
#include "ui/views/library/AlbumItem.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumOverCover.h"
#include "ui/views/library/PlaylistMenu.h"
#include "ui/views/library/SongSearchPanel.h"
#include "ui/views/library/SongTable.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

namespace kelvane {

AlbumsView::AlbumsView(QWidget *parent) : QWidget(parent) {
    build(nullptr);
}

AlbumsView::AlbumsView(ImageManager *manager, QWidget *parent) : QWidget(parent) {
    build(manager);
}

void AlbumsView::build(ImageManager *manager) {
    m_model = new AlbumListModel(this, manager);
    m_overCover = new AlbumOverCover(this);
    m_grid = new QListView(this);
    m_grid->setObjectName(QStringLiteral("collectionView"));
    m_grid->setViewMode(QListView::IconMode);
    m_grid->setMovement(QListView::Static);
    m_grid->setResizeMode(QListView::Adjust);
    m_grid->setFlow(QListView::LeftToRight);
    m_grid->setWrapping(true);
    // One size for every cell: the layout never asks 10,000 cells for their size.
    m_grid->setUniformItemSizes(true);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setMouseTracking(true);
    m_grid->setSpacing(0);
    m_grid->setModel(m_model);
    m_item = new AlbumItem(m_model, m_overCover, m_grid);
    // Covers are scaled once, at the screen's pixel density, so they stay sharp there.
    const qreal dpr = devicePixelRatioF();
    m_model->setCoverSize(QSize(AlbumItem::coverSide, AlbumItem::coverSide) * dpr);
    m_grid->setItemDelegate(m_item);
    m_grid->verticalScrollBar()->setSingleStep(40);
    m_grid->setContextMenuPolicy(Qt::NoContextMenu);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);

    // Movement::Static turned dragging off; a cell drags out as its album (to the queue).
    m_grid->setDragEnabled(true);
    m_grid->setDragDropMode(QAbstractItemView::DragOnly);
    m_grid->setDefaultDropAction(Qt::CopyAction);

    m_empty = new QLabel(tr("Aucun album"), this);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setEnabled(false);
    m_empty->hide();

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(tr("Rechercher (album, artiste, genre, année)"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &AlbumsView::applyFilter);
    a11y::nameSearchField(m_search, tr("Rechercher des albums"),
                          tr("Filtre la grille par album, artiste, genre ou année"));
    m_grid->setAccessibleName(tr("Albums"));
    m_grid->setAccessibleDescription(
        tr("Entrée lit l'album, Espace affiche ses morceaux, la touche Menu ouvre ses actions"));
    m_songs = new SongSearchPanel(this);
    m_songs->hide();

    auto *albumsBox = new QWidget(this);
    auto *albums = new QVBoxLayout(albumsBox);
    albums->setContentsMargins(0, 0, 0, 0);
    albums->addWidget(m_grid);
    albums->addWidget(m_empty);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(albumsBox);
    split->addWidget(m_songs);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(12, 8, 12, 4);
    searchRow->addWidget(m_search);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(searchRow);
    layout->addWidget(split);
    // The keys go from the field down to what it filters: the albums, then the songs.
    setTabOrder(m_search, m_grid);
    setTabOrder(m_grid, m_songs->table());

    connect(m_overCover, &AlbumOverCover::changed, this, [this](int row) {
        if (row >= 0 && row < m_model->rowCount()) m_grid->update(m_model->index(row));
    });
    // Loads of cells that left the screen are dropped at most 50 ms after a scroll, also
    // in the middle of a long one (the timer is not pushed back by further scrolling).
    m_prune.setSingleShot(true);
    m_prune.setInterval(50);
    connect(&m_prune, &QTimer::timeout, this, &AlbumsView::pruneCovers);
    // A scroll step that follows another within 80 ms is a fast scroll: covers wait until
    // it settles. A single wheel step still loads at once.
    m_settle.setSingleShot(true);
    m_settle.setInterval(80);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (!m_model->loadsDeferred()) return;
        m_model->setLoadsDeferred(false);
        m_grid->viewport()->update();
    });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_settle.isActive()) m_model->setLoadsDeferred(true);
        m_settle.start();
        if (!m_prune.isActive()) m_prune.start();
        updateHover(m_grid->viewport()->mapFromGlobal(QCursor::pos()));
    });

    CatalogueLoader &loader = CatalogueLoader::sCatalogueLoader();
    connect(&loader, &CatalogueLoader::progress, this, [this](qsizetype found) {
        if (m_loadWanted && m_model->rowCount() == 0)
            m_empty->setText(tr("Chargement des albums… %1").arg(found));
    });
    connect(&loader, &CatalogueLoader::finished, this, &AlbumsView::loaded);

    fitGrid();
    awakeFromNib();
}

AlbumsView::~AlbumsView() {
    MPDCache::sMPDCache().release(this);
}

void AlbumsView::awakeFromNib() {
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setDelegateAlbum(this);
    const std::optional<QList<Album>> &albums = cache.getCurrentAlbumList();
    if (albums) {
        showAlbums(*albums);
        return;
    }
    // Read on the bulk thread: a 100,000-song library takes a second or
    // more, and the window (the now-playing bar too) goes on meanwhile. The grid says
    // how far it got; the loader's answer fills it (loaded()).
    m_loadWanted = true;
    m_empty->setText(tr("Chargement des albums…"));
    if (m_model->rowCount() == 0) {
        m_empty->setVisible(true);
        m_grid->setVisible(false);
    }
    CatalogueLoader::sCatalogueLoader().load();
}

void AlbumsView::loaded() {
    if (!std::exchange(m_loadWanted, false)) return;
    // Not connected: nothing is stored, so the next visit asks again.
    showAlbums(MPDCache::sMPDCache().getCurrentAlbumList().value_or(QList<Album>{}));
}

void AlbumsView::showAlbums(const QList<Album> &albums) {
    m_overCover->mouseExited();
    // The same list again (a reload, an update that changed no album) keeps its covers.
    if (albums != m_model->albums()) {
        m_model->setAlbums(albums);
        m_filter.setAlbums(albums);
        // A new list under a search keeps the search, for its songs too.
        if (!m_search->text().trimmed().isEmpty()) {
            m_model->setShownAlbums(m_filter.matching(m_search->text()));
            if (!m_songs->isHidden()) m_songs->searchNow();
        }
    }
    showEmptyState();
}

void AlbumsView::showEmptyState() {
    const bool empty = m_model->rowCount() == 0;
    m_empty->setText(m_model->isFiltered() ? tr("Aucun album ne correspond") : tr("Aucun album"));
    m_empty->setVisible(empty);
    m_grid->setVisible(!empty);
    Q_EMIT albumsShown(m_model->rowCount());
}

void AlbumsView::focusSearch() {
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

void AlbumsView::applyFilter(const QString &text) {
    m_overCover->mouseExited();
    // Pasted text may hold line breaks or tabs: words are what is looked for.
    QString clean = text;
    for (QChar &c : clean)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    if (clean.trimmed().isEmpty())
        m_model->showAll();
    else
        m_model->setShownAlbums(m_filter.matching(clean));
    // A load in flight still says so; otherwise say why the grid is empty.
    if (!m_empty->text().startsWith(tr("Chargement des albums…"))) showEmptyState();
    m_grid->scrollToTop();
    m_songs->setText(clean);
}

void AlbumsView::reload() {
    awakeFromNib();
}

void AlbumsView::onDbUpdate() {
    reload();
    update();
}

QList<Album> AlbumsView::cellArray() const {
    return m_model->albums();
}

void AlbumsView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    fitGrid();
}

void AlbumsView::fitGrid() {
    // Spread the leftover width over the columns, so the grid fills the view edge to edge.
    // The list lays out in the width it would have with its scroll bar shown, less a
    // pixel, whether the bar is shown or not: use that width, or it wraps a column early.
    const QSize minimum = m_item->minimumCellSize();
    int available = m_grid->maximumViewportSize().width();
    if (m_grid->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        available -= m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                  m_grid->verticalScrollBar());
    available = std::max(available - 2 * m_grid->spacing() - 1, minimum.width());
    const int columns = std::max(1, available / minimum.width());
    const QSize grid(available / columns, minimum.height());
    if (m_grid->gridSize() != grid) m_grid->setGridSize(grid);
    if (!m_prune.isActive()) m_prune.start();
}

QPair<int, int> AlbumsView::visibleRows() const {
    const int count = m_model->rowCount();
    if (count == 0 || !m_grid->isVisible()) return {0, -1};
    // Read the layout the view made rather than predicting it: columns are the cells that
    // share the first cell's line, lines are as far apart as the first two.
    const QRect firstCell = m_grid->visualRect(m_model->index(0));
    int columns = 1;
    while (columns < count && m_grid->visualRect(m_model->index(columns)).top() == firstCell.top())
        ++columns;
    const int lineHeight = count > columns
                               ? m_grid->visualRect(m_model->index(columns)).top() - firstCell.top()
                               : std::max(1, firstCell.height());
    if (lineHeight <= 0) return {0, count - 1};
    const int firstLine = std::max(0, -firstCell.top() / lineHeight);
    const int lastLine = std::max(0, (m_grid->viewport()->height() - firstCell.top()) / lineHeight);
    return {std::min(count - 1, firstLine * columns),
            std::min(count - 1, (lastLine + 1) * columns - 1)};
}

void AlbumsView::pruneCovers() {
    // Keep one screen line above and below: a short scroll back shows covers at once.
    const auto [first, last] = visibleRows();
    if (last < first) return;
    const int columns =
        std::max(1, m_grid->viewport()->width() / std::max(1, m_grid->gridSize().width()));
    m_model->keepRows(first - columns, last + columns);
}

void AlbumsView::updateHover(QPoint viewportPos) {
    const QModelIndex index = m_grid->indexAt(viewportPos);
    int row = -1;
    if (index.isValid() && m_grid->viewport()->rect().contains(viewportPos) &&
        m_item->geometry(m_grid->visualRect(index)).cover.contains(viewportPos))
        row = index.row();
    m_overCover->setHoveredRow(row);
}

void AlbumsView::showContextMenu(QPoint viewportPos) {
    const QModelIndex index = m_grid->indexAt(viewportPos);
    if (!index.isValid()) return;
    QMenu menu(this);
    fillContextMenu(&menu, index.row());
    menu.exec(m_grid->viewport()->mapToGlobal(viewportPos));
}

void AlbumsView::fillContextMenu(QMenu *menu, int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const QRect cover = m_item->geometry(m_grid->visualRect(m_model->index(row))).cover;
    const QRect anchor(m_grid->viewport()->mapToGlobal(cover.topLeft()), cover.size());
    const queuemenu::SongsSource songs = albumSongs(row);
    queuemenu::add(
        menu, tr("Lire"), [this, row] { m_item->clickPlay(row); }, songs);
    menu->addSeparator();
    menu->addAction(tr("Afficher les morceaux"), this,
                    [this, row, anchor] { m_item->clickAlbum(row, anchor); });
    // Only a cover that is there: an album without one has nothing to enlarge.
    if (m_model->index(row).data(AlbumListModel::CoverLoadedRole).toBool())
        menu->addAction(tr("Afficher la pochette"), this,
                        [this, row] { m_item->clickMaximize(row); });
    playlistmenu::add(menu, songs);
}

queuemenu::SongsSource AlbumsView::albumSongs(int row) {
    const Album album = m_model->album(row);
    // The album's songs are read once an entry is chosen.
    return [this, album](const queuemenu::SongsReady &ready) {
        MPDBulk::sMPDBulk().run(
            this, [album] { return MPDAlbum::sMPDAlbum().getAlbumContent(album); },
            [ready, name = album.albumName](std::optional<QList<Song>> content) {
                if (content) ready(AlbumItem::songsOfAlbum(*content, name));
            });
    };
}

bool AlbumsView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_grid->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            updateHover(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::Leave:
            m_overCover->setHoveredRow(-1);
            break;
        case QEvent::ContextMenu:
            showContextMenu(static_cast<QContextMenuEvent *>(event)->pos());
            return true;
        case QEvent::Resize:
            fitGrid();
            break;
        default:
            break;
        }
    } else if (watched == m_search && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // Escape empties the field; on an empty field it hands the keys back to the grid.
        if (m_search->text().isEmpty())
            m_grid->setFocus(Qt::OtherFocusReason);
        else
            m_search->clear();
        return true;
    } else if (watched == m_grid && event->type() == QEvent::ShortcutOverride) {
        // Space is also the window's play/pause shortcut, which would take it first:
        // on a cover it opens the songs, as the keys of a focused control should.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier &&
            m_grid->currentIndex().isValid()) {
            event->accept();
            return true;
        }
    } else if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex current = m_grid->currentIndex();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && current.isValid() &&
            (key->modifiers() & Qt::ControlModifier)) {
            // "Lire ensuite" without the menu, as in the song lists.
            albumSongs(current.row())(
                [](const QList<Song> &songs) { MPDQueue::sMPDQueue().playSongsNext(songs); });
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && current.isValid()) {
            m_item->clickPlay(current.row());
            return true;
        }
        if (key->key() == Qt::Key_Space && current.isValid()) {
            const QRect cover = m_item->geometry(m_grid->visualRect(current)).cover;
            m_item->clickAlbum(
                current.row(),
                QRect(m_grid->viewport()->mapToGlobal(cover.topLeft()), cover.size()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelvane
