#pragma once

// AlbumContentView — the songs of the album opened from the grid, as MPDCache holds them
// (getAlbumContentArray): a header (album, artist, genre and year, total time, quality
// badge) over a table of track, title and time. It follows the player through the
// notification "statusChanged" and redraws only the rows whose marks change. A double
// click or Enter plays the clicked song's album from that song; the context menu
// appends the row, or the selection, to the queue.
// Thread: GUI.
#include "core/model/Song.h"

#include <QList>
#include <QWidget>

class QLabel;
class QMenu;

namespace kelvane {

class AlbumContentModel;
class SongTable;

class AlbumContentView : public QWidget {
    Q_OBJECT
  public:
    explicit AlbumContentView(QWidget *parent = nullptr);

    void updateStatus();
    void doubleClick(int row);
    // Appends the context row alone when fewer than two rows are selected, else the
    // selected rows in ascending order.
    void addToQueue(qint32 contextRow);
    // The context menu of row: play the album from it (the double click), append or
    // play next the songs (addToQueue's choice of rows), add them to a stored playlist.
    void fillContextMenu(QMenu *menu, int row);

    // What a double click on row sends: the row's album (null for songs without an
    // Album tag), its directory, and its place among that album's songs there.
    struct PlayRequest {
        QString albumName;
        QString path;
        quint32 position = 0;
    };
    static PlayRequest playRequestFor(const QList<Song> &content, int row);

    QLabel *albumName() const { return m_albumName; }
    QLabel *artistName() const { return m_artistName; }
    QLabel *genreAndYear() const { return m_genreAndYear; }
    QLabel *durationText() const { return m_durationText; }
    QLabel *logoAudio() const { return m_logoAudio; }
    QString badge() const { return m_badge; }
    SongTable *albumTableView() const { return m_table; }
    AlbumContentModel *model() const { return m_model; }

  private:
    // The selection when it holds two rows or more, else the context row alone.
    QList<Song> songsFor(qint32 contextRow) const;
    void setHead();
    void setHeadTime();
    void setHeadLogo();
    void showContextMenu(int row, QPoint globalPos);

    QList<Song> m_content;
    AlbumContentModel *m_model = nullptr;
    SongTable *m_table = nullptr;
    QLabel *m_albumName = nullptr;
    QLabel *m_artistName = nullptr;
    QLabel *m_genreAndYear = nullptr;
    QLabel *m_durationText = nullptr;
    QLabel *m_logoAudio = nullptr;
    QString m_badge;
};

} // namespace kelvane
