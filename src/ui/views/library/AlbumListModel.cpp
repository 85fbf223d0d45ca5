#include "ui/views/library/AlbumListModel.h"

#include "covers/CoverChain.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"

#include <QPainter>

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
    m_scaled.clear();
    m_albums = std::move(albums);
    endResetModel();
}

void AlbumListModel::setCoverSize(QSize devicePixels) {
    m_coverSize = devicePixels;
    m_placeholder = librarystyle::pixmap(QStringLiteral("no_cover"), devicePixels, 1.0);
    m_placeholderImage = m_placeholder.toImage();
    m_scaled.clear();
    // Loads in flight were asked at the old size.
    m_covers.forgetAll();
    if (!m_albums.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_albums.size()) - 1), {Qt::DecorationRole});
}

void AlbumListModel::setCoverAddress(std::function<QUrl(const QString &)> address) {
    m_address = std::move(address);
    m_covers.forgetAll();
    m_scaled.clear();
}

void AlbumListModel::reloadCovers() {
    m_covers.forgetAll();
    m_scaled.clear();
    if (!m_albums.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_albums.size()) - 1), {Qt::DecorationRole});
}

QUrl AlbumListModel::coverUrl(const Album &album) const {
    return m_address ? m_address(album.path) : CoverRequest::address(album.path, album.firstSong);
}

void AlbumListModel::setLoadsDeferred(bool deferred) {
    m_loadsDeferred = deferred;
}

void AlbumListModel::keepRows(int first, int last) {
    QList<int> gone;
    for (auto it = m_scaled.cbegin(); it != m_scaled.cend(); ++it) {
        if (it.key() < first || it.key() > last) gone.append(it.key());
    }
    for (int row : gone) {
        m_scaled.remove(row);
        m_covers.forget(quint64(row));
    }
}

QPixmap AlbumListModel::coverFor(int row) const {
    const auto scaled = m_scaled.constFind(row);
    if (scaled != m_scaled.constEnd()) return *scaled;
    if (m_loadsDeferred) return m_placeholder;
    const QUrl url = coverUrl(m_albums[row]);
    const quint64 key = quint64(row);
    // The placeholder stands in this row's place until the cover arrives (or for good
    // when it cannot be had); scaled covers replace it in coverArrived.
    m_scaled.insert(row, m_placeholder);
    // Decoded at the cell's size: a fraction of the work of a whole cover, and a fraction
    // of its memory in the cache.
    if (m_covers.imageURL(key) != url || !m_covers.contains(key))
        m_covers.setImageWithURL(key, url, m_placeholderImage, 0, {}, m_coverSize);
    return m_scaled.value(row);
}

void AlbumListModel::coverArrived(quint64 key, const QImage &image) {
    const int row = int(key);
    // A row forgotten since (scrolled away, list replaced) takes nothing.
    if (row < 0 || row >= m_albums.size() || !m_scaled.contains(row) || image.isNull()) return;
    if (image.cacheKey() == m_placeholderImage.cacheKey()) return;
    // The signal is queued: the row may have been forgotten and asked again (another
    // list, a scroll away and back) since. Only what the binding shows now counts.
    if (m_covers.image(key).cacheKey() != image.cacheKey()) return;
    // Scaled once here rather than on every paint: smooth scaling of a large cover
    // costs milliseconds, and a screen holds dozens of them.
    QImage scaled =
        image.scaled(m_coverSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (scaled.size() != m_coverSize)
        scaled = scaled.copy(QRect(QPoint((scaled.width() - m_coverSize.width()) / 2,
                                          (scaled.height() - m_coverSize.height()) / 2),
                                   m_coverSize));
    m_scaled.insert(row, QPixmap::fromImage(std::move(scaled)));
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
}

int AlbumListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_albums.size());
}

QVariant AlbumListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_albums.size()) return {};
    const Album &album = m_albums[index.row()];
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
        return coverFor(index.row());
    case CoverLoadedRole: {
        const auto scaled = m_scaled.constFind(index.row());
        return scaled != m_scaled.constEnd() && scaled->cacheKey() != m_placeholder.cacheKey();
    }
    case Qt::ToolTipRole:
        return QString(librarytext::displayName(album.albumName) + QLatin1Char('\n') +
                       librarytext::displayName(album.artist));
    }
    return {};
}

} // namespace kelvane
