#include "ui/views/library/SongTableModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"
#include "ui/views/library/SongDrag.h"

#include <QApplication>
#include <algorithm>

namespace kelvane {

SongTableModel::SongTableModel(QStringList titles, int trackColumn, int timeColumn, QObject *parent)
    : QAbstractTableModel(parent), m_titles(std::move(titles)), m_trackColumn(trackColumn),
      m_timeColumn(timeColumn) {}

void SongTableModel::resetSongs(QList<Song> songs) {
    m_songs = std::move(songs);
}

void SongTableModel::removeSongs(int first, int count) {
    if (count <= 0 || first < 0 || first + count > m_songs.size()) return;
    beginRemoveRows({}, first, first + count - 1);
    m_songs.remove(first, count);
    endRemoveRows();
}

void SongTableModel::insertSongs(int first, const QList<Song> &songs) {
    if (songs.isEmpty() || first < 0 || first > m_songs.size()) return;
    beginInsertRows({}, first, first + int(songs.size()) - 1);
    for (int i = 0; i < songs.size(); ++i)
        m_songs.insert(first + i, songs[i]);
    endInsertRows();
}

void SongTableModel::replaceSong(int row, const Song &song) {
    if (row < 0 || row >= m_songs.size()) return;
    m_songs[row] = song;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void SongTableModel::refreshCell(int row, int column) {
    if (row < 0 || row >= m_songs.size()) return;
    Q_EMIT dataChanged(index(row, column), index(row, column));
}

bool SongTableModel::isTrackMarked(int) const {
    return false;
}

bool SongTableModel::isTimeMarked(int) const {
    return false;
}

QIcon SongTableModel::stateIcon() const {
    return {};
}

Qt::ItemFlags SongTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid()) flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList SongTableModel::mimeTypes() const {
    return songdrag::mimeTypes();
}

QList<qint32> SongTableModel::rowsOf(const QModelIndexList &indexes) {
    QList<qint32> rows;
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QMimeData *SongTableModel::mimeData(const QModelIndexList &indexes) const {
    QList<Song> songs;
    for (qint32 row : rowsOf(indexes))
        if (row >= 0 && row < m_songs.size()) songs.append(m_songs[row]);
    return songdrag::songsData(songs);
}

int SongTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_songs.size());
}

int SongTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_titles.size());
}

QVariant SongTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_songs.size()) return {};
    const int row = index.row();
    const int column = index.column();
    const Song &song = m_songs[row];
    switch (role) {
    case Qt::DisplayRole:
        if (column == m_timeColumn) return librarytext::timeText(song.duration());
        if (column == m_trackColumn && isTrackMarked(row)) return QString();
        return cellText(song, row, column);
    case Qt::DecorationRole:
        if (column == m_trackColumn && isTrackMarked(row)) {
            const QIcon icon = stateIcon();
            if (!icon.isNull()) return icon;
        }
        break;
    case Qt::ForegroundRole:
        if (column == m_timeColumn)
            return isTimeMarked(row) ? librarystyle::playingColour()
                                     : librarystyle::secondaryColour(QApplication::palette());
        break;
    case Qt::AccessibleTextRole:
        // A screen reader reads the row where it enters it: title, artist, duration. The
        // other cells read as they show.
        if (column == 0) return rowSpeech(row);
        break;
    case Qt::TextAlignmentRole:
        // Numbers line up on their last digit.
        if (column == m_timeColumn || column == m_trackColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return {};
}

QString SongTableModel::rowSpeech(int row) const {
    if (row < 0 || row >= m_songs.size()) return {};
    const Song &song = m_songs[row];
    QString title = song.title().trimmed();
    if (title.isEmpty()) title = song.fullPath().section(QLatin1Char('/'), -1);
    QStringList parts{title};
    if (!song.artist().trimmed().isEmpty()) parts << song.artist().trimmed();
    if (song.duration() > 0) parts << librarytext::timeText(song.duration()).trimmed();
    if (isTrackMarked(row)) parts << tr("en cours");
    return parts.join(QStringLiteral(", "));
}

QVariant SongTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= m_titles.size()) return {};
    return m_titles[section];
}

} // namespace kelvane
