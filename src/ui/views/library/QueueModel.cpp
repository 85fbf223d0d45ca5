#include "ui/views/library/QueueModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/PlayingMarks.h"

#include <QApplication>

namespace kelvane {

QueueModel::QueueModel(QObject *parent) : QAbstractTableModel(parent) {}

void QueueModel::setQueue(QList<Song> songs, const QList<Stream> &streams) {
    beginResetModel();
    m_songs = std::move(songs);
    m_streamNames.clear();
    // The first saved stream of an address names it, as in the stream list.
    for (const Stream &stream : streams)
        m_streamNames.insert(stream.url, m_streamNames.value(stream.url, stream.name));
    m_marked = currentRows();
    endResetModel();
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
    for (int row = 0; row < m_songs.size(); ++row) {
        if (playingmarks::isQueueCurrent(m_songs[row], *m_status)) rows.insert(row);
    }
    return rows;
}

void QueueModel::refreshRows(const QSet<int> &rows, std::initializer_list<int> columns) {
    for (int row : rows) {
        if (row < 0 || row >= m_songs.size()) continue;
        for (int column : columns)
            Q_EMIT dataChanged(index(row, column), index(row, column));
    }
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

int QueueModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_songs.size());
}

int QueueModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QueueModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_songs.size()) return {};
    const Song &song = m_songs[index.row()];
    const bool marked = m_marked.contains(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case TrackNumber:
            if (marked && !librarystyle::stateIcon(m_state).isNull()) return QString();
            return librarytext::trackText(song.diskNb(), song.track());
        case Artist:
            return playingmarks::rowArtist(song);
        case AlbumColumn:
            return song.album();
        case Title:
            return titleOf(song);
        case Time:
            return librarytext::timeText(song.duration());
        case Year:
            return QString::number(song.date());
        }
    } else if (role == Qt::DecorationRole && index.column() == TrackNumber && marked) {
        const QIcon icon = librarystyle::stateIcon(m_state);
        if (!icon.isNull()) return icon;
    } else if (role == Qt::ForegroundRole && index.column() == Time) {
        return marked ? librarystyle::playingColour()
                      : librarystyle::secondaryColour(QApplication::palette());
    } else if (role == Qt::TextAlignmentRole &&
               (index.column() == Time || index.column() == TrackNumber)) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case TrackNumber:
        return QStringLiteral("N°");
    case Artist:
        return QStringLiteral("Artiste");
    case AlbumColumn:
        return QStringLiteral("Album");
    case Title:
        return QStringLiteral("Titre");
    case Time:
        return QStringLiteral("Durée");
    case Year:
        return QStringLiteral("Année");
    }
    return {};
}

} // namespace kelvane
