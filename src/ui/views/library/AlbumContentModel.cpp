#include "ui/views/library/AlbumContentModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"

#include <QApplication>

namespace kelvane {

AlbumContentModel::AlbumContentModel(QObject *parent) : QAbstractTableModel(parent) {}

void AlbumContentModel::setSongs(QList<Song> songs) {
    beginResetModel();
    m_songs = std::move(songs);
    m_marks = QList<playingmarks::AlbumRowMarks>(m_songs.size());
    m_state = 0;
    endResetModel();
}

bool AlbumContentModel::setStatus(const std::optional<MPDStatus> &status) {
    const qint32 state = status ? status->state : 0;
    const bool stateChanged = state != m_state;
    m_state = state;
    bool changed = false;
    for (int row = 0; row < m_songs.size(); ++row) {
        const auto marks = status ? playingmarks::albumRowMarks(m_songs[row], *status)
                                  : playingmarks::AlbumRowMarks{};
        const bool iconChanged = stateChanged && (marks.track || m_marks[row].track);
        if (marks.track != m_marks[row].track || iconChanged) {
            Q_EMIT dataChanged(index(row, TrackNumber), index(row, TrackNumber));
            changed = true;
        }
        if (marks.time != m_marks[row].time) {
            Q_EMIT dataChanged(index(row, Time), index(row, Time));
            changed = true;
        }
        m_marks[row] = marks;
    }
    return changed;
}

int AlbumContentModel::currentRow() const {
    for (int row = 0; row < m_marks.size(); ++row) {
        if (m_marks[row].track) return row;
    }
    return -1;
}

playingmarks::AlbumRowMarks AlbumContentModel::marksOf(int row) const {
    return row >= 0 && row < m_marks.size() ? m_marks[row] : playingmarks::AlbumRowMarks{};
}

int AlbumContentModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_songs.size());
}

int AlbumContentModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AlbumContentModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_songs.size()) return {};
    const Song &song = m_songs[index.row()];
    const auto marks = m_marks[index.row()];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case TrackNumber:
            return marks.track ? QString() : librarytext::trackText(song.diskNb(), song.track());
        case Title:
            return song.title();
        case Time:
            return librarytext::timeText(song.duration());
        }
    } else if (role == Qt::DecorationRole && index.column() == TrackNumber && marks.track) {
        return librarystyle::stateIcon(m_state);
    } else if (role == Qt::ForegroundRole && index.column() == Time) {
        return marks.time ? librarystyle::playingColour()
                          : librarystyle::secondaryColour(QApplication::palette());
    } else if (role == Qt::TextAlignmentRole && index.column() != Title) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant AlbumContentModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case TrackNumber:
        return QStringLiteral("N°");
    case Title:
        return QStringLiteral("Titre");
    case Time:
        return QStringLiteral("Durée");
    }
    return {};
}

} // namespace kelvane
