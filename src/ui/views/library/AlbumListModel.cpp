#include "ui/views/library/AlbumListModel.h"

#include "covers/CoverChain.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/SongDrag.h"

#include <QPainter>
#include <algorithm>
#include <numeric>

namespace kelvane {

AlbumListModel::AlbumListModel(QObject *parent, ImageManager *manager)
    : QAbstractListModel(parent), m_covers(nullptr, manager) {
    // Albums that had no cover may have one now (another server, a database update).
    connect(&CoverChain::sCoverChain(), &CoverChain::coversInvalidated, this,
            &AlbumListModel::reloadCovers);
    // Queued: the binding may answer from inside data() (placeholder, memory hit).
    connect(&m_covers, &ImageBinding::imageChanged, this, &AlbumListModel::coverArrived,
            Qt::QueuedConnection);
    setCoverSize(m_coverSize);
}

void AlbumListModel::setAlbums(QList<Album> albums) {
    beginResetModel();
    m_covers.forgetAll();
    m_pictures.clear();
    m_albums = std::move(albums);
    m_shown.resize(m_albums.size());
    std::iota(m_shown.begin(), m_shown.end(), qsizetype(0));
    endResetModel();
}

void AlbumListModel::setShownAlbums(QList<qsizetype> indexes) {
    indexes.removeIf([this](qsizetype i) { return i < 0 || i >= m_albums.size(); });
    if (indexes == m_shown) return;
    // A reset, not row edits: after a keystroke most rows differ, and a reset lets the
    // grid lay out once rather than follow thousands of removals.
    beginResetModel();
    m_shown = std::move(indexes);
    endResetModel();
}

void AlbumListModel::showAll() {
    QList<qsizetype> all(m_albums.size());
    std::iota(all.begin(), all.end(), qsizetype(0));
    setShownAlbums(std::move(all));
}

int AlbumListModel::rowOf(qsizetype albumIndex) const {
    const auto it = std::lower_bound(m_shown.cbegin(), m_shown.cend(), albumIndex);
    return it != m_shown.cend() && *it == albumIndex ? int(it - m_shown.cbegin()) : -1;
}

void AlbumListModel::setCoverSize(QSize devicePixels) {
    m_coverSize = devicePixels;
    m_placeholder = librarystyle::pixmap(QStringLiteral("no_cover"), devicePixels, 1.0).toImage();
    m_pictures.clear();
    // Loads in flight were asked at the old size.
    m_covers.forgetAll();
    if (!m_shown.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_shown.size()) - 1), {Qt::DecorationRole});
}

void AlbumListModel::setCoverAddress(std::function<QUrl(const QString &)> address) {
    m_address = std::move(address);
    m_covers.forgetAll();
    m_pictures.clear();
}

void AlbumListModel::reloadCovers() {
    m_covers.forgetAll();
    m_pictures.clear();
    if (!m_shown.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_shown.size()) - 1), {Qt::DecorationRole});
}

QUrl AlbumListModel::coverUrl(const Album &album) const {
    return m_address ? m_address(album.path) : CoverRequest::address(album.path, album.firstSong);
}

void AlbumListModel::setLoadsDeferred(bool deferred) {
    m_loadsDeferred = deferred;
}

void AlbumListModel::keepRows(int first, int last) {
    QList<qsizetype> gone;
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        const int row = rowOf(it.key());
        if (row < 0 || row < first || row > last) gone.append(it.key());
    }
    for (qsizetype albumIndex : gone) {
        m_pictures.remove(albumIndex);
        m_covers.forget(quint64(albumIndex));
    }
}

QImage AlbumListModel::coverFor(qsizetype albumIndex) const {
    const auto scaled = m_pictures.constFind(albumIndex);
    if (scaled != m_pictures.constEnd()) return *scaled;
    if (m_loadsDeferred) return m_placeholder;
    const QUrl url = coverUrl(m_albums[albumIndex]);
    const quint64 key = quint64(albumIndex);
    // The placeholder stands in this album's place until the cover arrives (or for good
    // when it cannot be had); covers replace it in coverArrived.
    m_pictures.insert(albumIndex, m_placeholder);
    // Decoded at the cell's size: a fraction of the work of a whole cover, and a fraction
    // of its memory in the cache.
    if (m_covers.imageURL(key) != url || !m_covers.contains(key))
        m_covers.setImageWithURL(key, url, m_placeholder, 0, {}, m_coverSize);
    return m_pictures.value(albumIndex);
}

void AlbumListModel::coverArrived(quint64 key, const QImage &image) {
    const qsizetype albumIndex = qsizetype(key);
    // A row forgotten since (scrolled away, list replaced) takes nothing.
    if (albumIndex >= m_albums.size() || !m_pictures.contains(albumIndex) || image.isNull()) return;
    if (image.cacheKey() == m_placeholder.cacheKey()) return;
    // The signal is queued: the row may have been forgotten and asked again (another
    // list, a scroll away and back) since. Only what the binding shows now counts.
    if (m_covers.image(key).cacheKey() != image.cacheKey()) return;
    // Covers arrive decoded for the cell (see ImageCache::memoryKeyForKey): kept as they
    // are, shared with the cache, and cropped when painted. Only a picture that does not
    // just cover the cell (smaller, or larger both ways) is scaled, here, once.
    QImage shown = image;
    if (coverSource(image, m_coverSize).size() != m_coverSize)
        shown = image.scaled(m_coverSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    m_pictures.insert(albumIndex, shown);
    const int row = rowOf(albumIndex);
    if (row < 0) return; // filtered out meanwhile: kept for when it shows again
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
}

QRect AlbumListModel::coverSource(const QImage &image, QSize coverSize) {
    const QSize size = image.size();
    // Covering means one side equal to the cover's, the other at least as long.
    const bool covers = size.width() >= coverSize.width() && size.height() >= coverSize.height() &&
                        (size.width() == coverSize.width() || size.height() == coverSize.height());
    if (!covers) return image.rect();
    return QRect(
        QPoint((size.width() - coverSize.width()) / 2, (size.height() - coverSize.height()) / 2),
        coverSize);
}

int AlbumListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant AlbumListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_shown.size()) return {};
    const qsizetype albumIndex = m_shown[index.row()];
    const Album &album = m_albums[albumIndex];
    switch (role) {
    case Qt::DisplayRole:
        return librarytext::displayName(album.albumName);
    case ArtistRole:
        return librarytext::displayName(album.artist);
    case PathRole:
        return album.path;
    case CoverUrlRole:
        return coverUrl(album);
    case Qt::DecorationRole:
        return coverFor(albumIndex);
    case CoverLoadedRole: {
        const auto scaled = m_pictures.constFind(albumIndex);
        return scaled != m_pictures.constEnd() && scaled->cacheKey() != m_placeholder.cacheKey();
    }
    case Qt::AccessibleTextRole:
        // "Album — Artiste": what a screen reader says on the cell.
        return tr("%1 — %2").arg(librarytext::displayName(album.albumName),
                                 librarytext::displayName(album.artist));
    case Qt::ToolTipRole:
        return QString(librarytext::displayName(album.albumName) + QLatin1Char('\n') +
                       librarytext::displayName(album.artist));
    }
    return {};
}

Qt::ItemFlags AlbumListModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = QAbstractListModel::flags(index);
    if (index.isValid()) flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList AlbumListModel::mimeTypes() const {
    return songdrag::mimeTypes();
}

QMimeData *AlbumListModel::mimeData(const QModelIndexList &indexes) const {
    // The grid selects one cell at a time: the first is the one dragged.
    if (indexes.isEmpty() || !indexes.first().isValid()) return nullptr;
    return songdrag::albumData(album(indexes.first().row()));
}

} // namespace kelvane
