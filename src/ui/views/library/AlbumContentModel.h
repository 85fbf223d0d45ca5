#pragma once

// AlbumContentModel — the songs of an opened album as a three-column table ("trackNumber",
// "title", "time"). The playing song's row shows the state icon instead of its number
// when title, artist and album match, and an orange time when title and artist match,
// while the player plays or pauses. A new snapshot refreshes only the cells whose look
// changes.
// Thread: GUI.
#include "core/model/Song.h"
#include "core/mpd/MPDStatus.h"
#include "ui/views/library/PlayingMarks.h"

#include <QAbstractTableModel>
#include <QList>
#include <optional>

namespace kelvane {

class AlbumContentModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { TrackNumber = 0, Title, Time, ColumnCount };

    explicit AlbumContentModel(QObject *parent = nullptr);

    void setSongs(QList<Song> songs);
    const QList<Song> &songs() const { return m_songs; }

    // Returns whether any cell changed.
    bool setStatus(const std::optional<MPDStatus> &status);
    // First row carrying the track mark, or -1.
    int currentRow() const;
    playingmarks::AlbumRowMarks marksOf(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QList<Song> m_songs;
    QList<playingmarks::AlbumRowMarks> m_marks;
    qint32 m_state = 0;
};

} // namespace kelvane
