#pragma once

// SongTableModel — what the song tables (queue, stored playlist, album content) share:
// the songs, the column titles, the right-aligned track and time columns, the time
// text and its colour, and the state icon that takes the place of the track number on
// the playing song's row. Each table says which of its rows are marked and what its
// other cells read.
// Thread: GUI.
#include "core/model/Song.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>

namespace kelvane {

class SongTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    const QList<Song> &songs() const { return m_songs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // "Titre, Artiste, 3:45" (", en cours" on the playing song's row): the row as a
    // screen reader reads it, the accessible text of its first cell.
    QString rowSpeech(int row) const;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows drag out as their songs' files (songdrag), to the queue or elsewhere.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  protected:
    // The distinct rows of indexes, ascending.
    static QList<qint32> rowsOf(const QModelIndexList &indexes);

    // titles: one per column; the track number and time columns are named by index.
    SongTableModel(QStringList titles, int trackColumn, int timeColumn, QObject *parent);

    // Replaces the songs; call between beginResetModel() and endResetModel().
    void resetSongs(QList<Song> songs);
    void refreshCell(int row, int column);
    // Row edits that keep the table's selection and scroll position: count songs go at
    // first, songs come at first, one song changes in place.
    void removeSongs(int first, int count);
    void insertSongs(int first, const QList<Song> &songs);
    void replaceSong(int row, const Song &song);

    // The text of a cell other than the time and a marked track number.
    virtual QString cellText(const Song &song, int row, int column) const = 0;
    // The row shows the state icon instead of its track number.
    virtual bool isTrackMarked(int row) const;
    // The row's time takes the playing colour.
    virtual bool isTimeMarked(int row) const;
    virtual QIcon stateIcon() const;

    int trackColumn() const { return m_trackColumn; }
    int timeColumn() const { return m_timeColumn; }

  private:
    QList<Song> m_songs;
    QStringList m_titles;
    int m_trackColumn;
    int m_timeColumn;
};

} // namespace kelvane
