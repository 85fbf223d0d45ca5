#pragma once

// QueueModel — the play queue as a six-column table: row i is queue position i.
// Columns: "trackNumber" (0), "artist", "album", "title", "time" (4), "year"; the state
// and track events name columns 0 and 4, so those places are fixed.
// The playing song's rows (matched by title and artist) show the state icon instead of
// their track number and an orange time while the player plays or pauses. Stream rows
// show the name of their saved stream, looked up in the list read once per load.
// Thread: GUI.
#include "core/library/QueueDiff.h"
#include "core/mpd/MPDStatus.h"
#include "core/streams/Stream.h"
#include "ui/views/library/SongTableModel.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace kelvane {

class QueueModel : public SongTableModel {
    Q_OBJECT
  public:
    enum Column { TrackNumber = 0, Artist, AlbumColumn, Title, Time = 4, Year, ColumnCount };

    explicit QueueModel(QObject *parent = nullptr);

    void setQueue(QList<Song> songs, const QList<Stream> &streams);
    // The queue as read again: rows removed, inserted and changed as the difference says,
    // not a reset, so the table keeps its selection and where it is scrolled.
    void applyChanges(const QList<Song> &songs, const QueueDiff &diff,
                      const QList<Stream> &streams);

    // A new snapshot; the cells whose marks change are refreshed, with the rows named.
    void setStatus(const std::optional<MPDStatus> &status, QList<qint32> namedRows = {});
    void setState(qint32 state);
    qint32 state() const { return m_state; }
    bool isMarked(int row) const { return m_marked.contains(row); }

    static QString columnIdentifier(int column);

    // Rows drag as queue rows (a move when they land in the queue) and as their songs;
    // songs and albums from the other views drop in between rows.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }
    Qt::DropActions supportedDropActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }

  protected:
    QString cellText(const Song &song, int row, int column) const override;
    bool isTrackMarked(int row) const override;
    bool isTimeMarked(int row) const override { return m_marked.contains(row); }
    QIcon stateIcon() const override;

  private:
    void setStreams(const QList<Stream> &streams);
    QSet<int> currentRows() const;
    void refreshRows(const QSet<int> &rows, std::initializer_list<int> columns);
    QString titleOf(const Song &song) const;

    QHash<QString, QString> m_streamNames; // address → first saved name
    std::optional<MPDStatus> m_status;
    QSet<int> m_marked;
    qint32 m_state = 0;
};

} // namespace kelvane
