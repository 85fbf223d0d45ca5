#pragma once

// PlaylistModel — a stored playlist's songs as a seven-column table: "trackNumber",
// "artist", "album", "title", "composer", "time" and the empty "isPlaying".
// Thread: GUI.
#include "ui/views/library/SongTableModel.h"

namespace kelvane {

class PlaylistModel : public SongTableModel {
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

  protected:
    QString cellText(const Song &song, int row, int column) const override;
};

} // namespace kelvane
