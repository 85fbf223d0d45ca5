#pragma once

// PlaylistModel — a stored playlist's songs as a seven-column table: "trackNumber",
// "artist", "album", "title", "composer", "time" and the empty "isPlaying".
// Thread: GUI.
#include "core/model/Song.h"

#include <QAbstractTableModel>
#include <QList>

namespace kelvane {

class PlaylistModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        TrackNumber = 0,
        Artist,
        AlbumColumn,
        Title,
        Composer,
        Time,
        IsPlaying,
        ColumnCount
    };

    explicit PlaylistModel(QObject *parent = nullptr);

    void setSongs(QList<Song> songs);
    const QList<Song> &songs() const { return m_songs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QList<Song> m_songs;
};

} // namespace kelvane
