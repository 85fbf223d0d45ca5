#pragma once

// AlbumItem — one cell of the album grid, painted by this delegate: the cover with its
// shadow, the album name and the artist, and, while the pointer is over the cover, the
// play button and the cover button (faded in by AlbumOverCover; the cover button only
// over a cover, not over the placeholder). It also carries the
// cell's actions: play the album, open its songs in a popover, append it to the queue,
// show the cover in a large window.
// Thread: GUI.
#include "core/model/Album.h"
#include "core/model/Song.h"

#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

class QAbstractItemView;

namespace kelvane {

class AlbumListModel;
class AlbumOverCover;

class AlbumItem : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int coverSide = 160;
    static constexpr int margin = 12;

    AlbumItem(AlbumListModel *model, AlbumOverCover *overCover, QAbstractItemView *view);

    // Where the parts of a cell sit inside its rectangle.
    struct Geometry {
        QRect cover, playerButton, showCover, name, artist;
    };
    static Geometry geometry(const QRect &cell, const QFontMetrics &nameMetrics,
                             const QFontMetrics &artistMetrics);
    Geometry geometry(const QRect &cell) const;
    // The smallest cell that holds a cover and its two lines.
    QSize minimumCellSize() const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // The cell's actions, for the album of row.
    void clickPlay(int row);
    // Reads the album's songs (only this album's of its directory) on the bulk thread,
    // hands them to the popover through MPDCache, and opens the popover once they are in
    // and 0.2 s have passed, beside the cover as it then lies (anchor, in global
    // coordinates, serves when the grid is gone).
    void clickAlbum(int row, const QRect &anchor);
    void clickMaximize(int row);
    void addToQueue(int row);
    void displayPopover(const QRect &anchor);
    // The song count of the album opened last, which sizes the popover.
    static qsizetype lastSongCount() { return s_songCount; }

    // The two lines a cell shows: name and artist, or "No Value" twice for a cell
    // without an album.
    static QPair<QString, QString> cellTexts(const QModelIndex &index);

    // The songs of a directory listing that belong to the album named albumName (a null
    // name: the songs without an Album tag).
    static QList<Song> songsOfAlbum(const QList<Song> &content, const QString &albumName);

    QFont nameFont() const { return m_nameFont; }
    QFont artistFont() const { return m_artistFont; }

  private:
    void onPopoverDelay();
    void showPendingPopover();
    void paintButtons(QPainter *painter, const Geometry &g, qreal playOpacity,
                      qreal coverOpacity) const;
    QPixmap shadow(qreal devicePixelRatio) const;

    AlbumListModel *m_model;
    AlbumOverCover *m_overCover;
    QPointer<QAbstractItemView> m_view;
    QFont m_nameFont;
    QFont m_artistFont;
    mutable QPixmap m_shadow;
    // The 0.2 s wait before the popover; a second click in it (a double click) reuses it.
    QTimer *m_popoverDelay = nullptr;
    QRect m_popoverAnchor;
    int m_popoverRow = -1;
    bool m_contentReady = true;
    quint64 m_contentTicket = 0; // only the latest album's songs count
    static inline qsizetype s_songCount = 0;
};

} // namespace kelvane
