#pragma once

// AlbumListModel — the albums of the grid, one row per album of the current album list.
// Display texts follow the grid's rules ("inconnu" for an absent name or artist). The
// cover (Qt::DecorationRole, an image covering the cell's size, to be drawn through
// coverSource()) is asked for only when a cell is painted, so only visible albums load;
// rows that scroll away drop their load and their picture (keepRows), and the image cache
// gives them back at once if they return. The picture shown is the very image the cache
// holds (decoded at the cell's size), not a copy of it. A filter shows some of the albums
// (rows then count the shown ones only); covers stay keyed by album, so clearing the
// filter finds them again.
// Thread: GUI.
#include "core/model/Album.h"
#include "imageloading/ImageBinding.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>
#include <QList>
#include <functional>

namespace kelvane {

class AlbumListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    enum Role { ArtistRole = Qt::UserRole + 1, PathRole, CoverUrlRole, CoverLoadedRole };

    explicit AlbumListModel(QObject *parent = nullptr, ImageManager *manager = nullptr);

    void setAlbums(QList<Album> albums);
    const QList<Album> &albums() const { return m_albums; }
    Album album(int row) const { return m_albums.value(m_shown.value(row, -1)); }

    // Shows only these albums (indexes into albums(), ascending); showAll() undoes it.
    void setShownAlbums(QList<qsizetype> indexes);
    void showAll();
    bool isFiltered() const { return m_shown.size() != m_albums.size(); }

    // The cover's size in device pixels; changing it drops the scaled pictures.
    void setCoverSize(QSize devicePixels);
    QSize coverSize() const { return m_coverSize; }
    // Where covers come from; by default the cover chain (web server, then the MPD
    // server), which follows the preferences.
    void setCoverAddress(std::function<QUrl(const QString &path)> address);

    // While deferred, cells without a cover yet show the placeholder and ask for nothing:
    // covers that fly past during a fast scroll are neither fetched nor decoded.
    void setLoadsDeferred(bool deferred);
    bool loadsDeferred() const { return m_loadsDeferred; }

    // Forgets the covers (loads and scaled pictures) of rows outside [first, last].
    void keepRows(int first, int last);
    // Rows with a cover load in flight, and rows holding a picture.
    qsizetype loadingCount() const { return m_covers.loadingCount(); }
    qsizetype pictureCount() const { return m_pictures.size(); }

    // The part of a cover image a cell shows: its middle, at the cover's size (the image
    // covers that size and may be longer one way).
    static QRect coverSource(const QImage &image, QSize coverSize);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // A cell drags out as its album (songdrag), for the queue.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  private:
    // Covers are keyed by the album's index in m_albums, not by row.
    QImage coverFor(qsizetype albumIndex) const;
    void coverArrived(quint64 albumIndex, const QImage &image);
    int rowOf(qsizetype albumIndex) const;
    QUrl coverUrl(const Album &album) const;
    void reloadCovers();

    QList<Album> m_albums;
    QList<qsizetype> m_shown;
    mutable ImageBinding m_covers;
    mutable QHash<qsizetype, QImage> m_pictures;
    QSize m_coverSize{160, 160};
    bool m_loadsDeferred = false;
    QImage m_placeholder;
    std::function<QUrl(const QString &)> m_address;
};

} // namespace kelvane
