#include "ui/views/library/QueueModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/PlayingMarks.h"
#include "ui/views/library/SongDrag.h"

namespace kelvane {

QueueModel::QueueModel(QObject *parent)
    : SongTableModel({tr("N°"), tr("Artiste"), tr("Album"), tr("Titre"), tr("Durée"), tr("Année")},
                     TrackNumber, Time, parent) {}

void QueueModel::setStreams(const QList<Stream> &streams) {
    m_streamNames.clear();
    // The first saved stream of an address names it, as in the stream list.
    for (const Stream &stream : streams)
        m_streamNames.insert(stream.url, m_streamNames.value(stream.url, stream.name));
}

void QueueModel::setQueue(QList<Song> songs, const QList<Stream> &streams) {
    beginResetModel();
    resetSongs(std::move(songs));
    setStreams(streams);
    m_marked = currentRows();
    endResetModel();
}

void QueueModel::applyChanges(const QList<Song> &songs, const QueueDiff &diff,
                              const QList<Stream> &streams) {
    setStreams(streams);
    const int first = int(diff.first);
    removeSongs(first, int(diff.removed));
    insertSongs(first, songs.mid(first, diff.inserted));
    for (qsizetype row : diff.changed)
        replaceSong(int(row), songs.value(row));
    // Marks follow the rows: the playing song may sit elsewhere now.
    const QSet<int> before = m_marked;
    m_marked = currentRows();
    refreshRows(before + m_marked, {TrackNumber, Time});
}

void QueueModel::setStatus(const std::optional<MPDStatus> &status, QList<qint32> namedRows) {
    m_status = status;
    QSet<int> rows = m_marked;
    m_marked = currentRows();
    rows.unite(m_marked);
    for (qint32 row : namedRows)
        rows.insert(row);
    refreshRows(rows, {TrackNumber, Time});
}

void QueueModel::setState(qint32 state) {
    m_state = state;
    refreshRows(m_marked, {TrackNumber});
}

QSet<int> QueueModel::currentRows() const {
    QSet<int> rows;
    if (!m_status || !playingmarks::isActive(*m_status)) return rows;
    const QList<Song> &queue = songs();
    for (int row = 0; row < queue.size(); ++row) {
        if (playingmarks::isQueueCurrent(queue[row], *m_status)) rows.insert(row);
    }
    return rows;
}

void QueueModel::refreshRows(const QSet<int> &rows, std::initializer_list<int> columns) {
    for (int row : rows)
        for (int column : columns)
            refreshCell(row, column);
}

QString QueueModel::titleOf(const Song &song) const {
    if (playingmarks::isStreamPath(song.fullPath())) {
        const auto name = m_streamNames.constFind(song.fullPath());
        if (name != m_streamNames.constEnd()) return *name;
    }
    return song.title();
}

QString QueueModel::columnIdentifier(int column) {
    static const char *const ids[] = {"trackNumber", "artist", "album", "title", "time", "year"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(ids[column]) : QString();
}

bool QueueModel::isTrackMarked(int row) const {
    // Stopped or unknown: no icon, so the number stays.
    return m_marked.contains(row) && !stateIcon().isNull();
}

QIcon QueueModel::stateIcon() const {
    return librarystyle::stateIcon(m_state);
}

QString QueueModel::cellText(const Song &song, int, int column) const {
    switch (column) {
    case TrackNumber:
        return librarytext::trackText(song.diskNb(), song.track());
    case Artist:
        return playingmarks::rowArtist(song);
    case AlbumColumn:
        return song.album();
    case Title:
        return titleOf(song);
    case Year:
        return QString::number(song.date());
    default:
        return QString();
    }
}

Qt::ItemFlags QueueModel::flags(const QModelIndex &index) const {
    // Drops go between rows, never onto one (the table then draws a line, not a box);
    // the empty area below the rows takes them too (at the end).
    return index.isValid() ? SongTableModel::flags(index) : Qt::ItemIsDropEnabled;
}

QMimeData *QueueModel::mimeData(const QModelIndexList &indexes) const {
    const QList<qint32> rows = rowsOf(indexes);
    QList<Song> picked;
    for (qint32 row : rows)
        if (row >= 0 && row < songs().size()) picked.append(songs()[row]);
    return songdrag::songsData(picked, rows);
}

} // namespace kelvane
