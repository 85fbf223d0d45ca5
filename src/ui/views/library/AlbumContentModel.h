#pragma once

// AlbumContentModel — the songs of an opened album as a three-column table ("trackNumber",
// "title", "time"). The playing song's row shows the state icon instead of its number
// when title, artist and album match, and an orange time when title and artist match,
// while the player plays or pauses. A new snapshot refreshes only the cells whose look
// changes.
// Thread: GUI.
#include "core/mpd/MPDStatus.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/SongTableModel.h"

#include <optional>

namespace kelvane {

class AlbumContentModel : public SongTableModel {
    Q_OBJECT
  public:
    enum Column { TrackNumber = 0, Title, Time, ColumnCount };

    explicit AlbumContentModel(QObject *parent = nullptr);

    void setSongs(QList<Song> songs);

    // Returns whether any cell changed.
    bool setStatus(const std::optional<MPDStatus> &status);
    // First row carrying the track mark, or -1.
    int currentRow() const;
    playingmarks::AlbumRowMarks marksOf(int row) const;

  protected:
    QString cellText(const Song &song, int row, int column) const override;
    bool isTrackMarked(int row) const override { return marksOf(row).track; }
    bool isTimeMarked(int row) const override { return marksOf(row).time; }
    QIcon stateIcon() const override;

  private:
    QList<playingmarks::AlbumRowMarks> m_marks;
    qint32 m_state = 0;
};

} // namespace kelvane
