#pragma once

// AlbumsView — the library: every album of the current album list as a grid cell. The
// list is read from the server once (MPDAlbum, on the bulk thread, the
// grid saying "Chargement des albums…" with a count meanwhile) and kept in MPDCache, so
// each visit builds the grid from memory; a finished database update (onDbUpdate) and a
// reload refill it.
// Covers load only for the cells on screen, and cells that scroll away drop their load.
// A reload keeps the scroll position. The album listener of MPDCache while it lives.
// Above the grid, a search field (Escape clears) filters the albums as one types
// (AlbumFilter: name, artist, genre, year, blind to case and accents), and the songs the
// server finds for the same text show under the grid ("Titres", SongSearchPanel).
// Thread: GUI.
#include "core/library/AlbumFilter.h"
#include "core/model/Album.h"
#include "core/mpd/MPDDelegates.h"
#include "ui/base/QueueMenu.h"
#include "ui/base/ReloadableView.h"

#include <QList>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QMenu;

namespace kelvane {

class AlbumItem;
class AlbumListModel;
class AlbumOverCover;
class ImageManager;
class SongSearchPanel;

class AlbumsView : public QWidget, public MPDAlbumDelegate, public ReloadableView {
    Q_OBJECT
  public:
    explicit AlbumsView(QWidget *parent = nullptr);
    // For benchmarks and tests: covers through a manager of their own.
    AlbumsView(ImageManager *manager, QWidget *parent);
    ~AlbumsView() override;

    // Fills the grid from the stored album list, reading it from the server first when
    // none is stored.
    void awakeFromNib();
    // Fills the grid again where it is scrolled to.
    void reload() override;
    void onDbUpdate() override;

    QList<Album> cellArray() const;
    QListView *collectionView() const { return m_grid; }
    QLineEdit *searchField() const { return m_search; }
    SongSearchPanel *songSearch() const { return m_songs; }
    QLabel *emptyLabel() const { return m_empty; }
    // Puts the keys in the search field, its text selected (the window's Ctrl+F).
    void focusSearch();
    // Shows the albums the text finds (all for a blank text) and starts the song search.
    void applyFilter(const QString &text);
    AlbumListModel *model() const { return m_model; }
    AlbumItem *item() const { return m_item; }
    AlbumOverCover *overCover() const { return m_overCover; }

    // The context menu of the cell at row: play, append, play next (queuemenu), its
    // songs, its cover (when it has one), add to a stored playlist.
    void fillContextMenu(QMenu *menu, int row);

    // Rows of the cells at least partly on screen, as [first, last]; {0, -1} when none.
    QPair<int, int> visibleRows() const;

  Q_SIGNALS:
    // The grid shows a list read anew: the sidebar's count follows it.
    void albumsShown(int count);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    // Reads row's album songs when called, then hands them on (menu entries, keys).
    queuemenu::SongsSource albumSongs(int row);
    void build(ImageManager *manager);
    void fitGrid();
    void updateHover(QPoint viewportPos);
    void pruneCovers();
    void showContextMenu(QPoint viewportPos);
    void showAlbums(const QList<Album> &albums);
    void loaded();
    void showEmptyState();

    QListView *m_grid = nullptr;
    AlbumListModel *m_model = nullptr;
    AlbumItem *m_item = nullptr;
    AlbumOverCover *m_overCover = nullptr;
    QLabel *m_empty = nullptr;
    QLineEdit *m_search = nullptr;
    SongSearchPanel *m_songs = nullptr;
    AlbumFilter m_filter;
    bool m_loadWanted = false; // waiting for the catalogue loader
    QTimer m_prune;
    QTimer m_settle;
};

} // namespace kelvane
