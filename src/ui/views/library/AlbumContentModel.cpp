#include "ui/views/library/AlbumContentModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"

namespace kelvane {

AlbumContentModel::AlbumContentModel(QObject *parent)
    : SongTableModel({tr("N°"), tr("Titre"), tr("Durée")}, TrackNumber, Time, parent) {}

void AlbumContentModel::setSongs(QList<Song> songs) {
    beginResetModel();
    m_marks = QList<playingmarks::AlbumRowMarks>(songs.size());
    resetSongs(std::move(songs));
    m_state = 0;
    endResetModel();
}

bool AlbumContentModel::setStatus(const std::optional<MPDStatus> &status) {
    const qint32 state = status ? status->state : 0;
    const bool stateChanged = state != m_state;
    m_state = state;
    bool changed = false;
    const QList<Song> &rows = songs();
    for (int row = 0; row < rows.size(); ++row) {
        const auto marks = status ? playingmarks::albumRowMarks(rows[row], *status)
                                  : playingmarks::AlbumRowMarks{};
        const bool iconChanged = stateChanged && (marks.track || m_marks[row].track);
        if (marks.track != m_marks[row].track || iconChanged) {
            refreshCell(row, TrackNumber);
            changed = true;
        }
        if (marks.time != m_marks[row].time) {
            refreshCell(row, Time);
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

QString AlbumContentModel::cellText(const Song &song, int, int column) const {
    switch (column) {
    case TrackNumber:
        return librarytext::trackText(song.diskNb(), song.track());
    case Title:
        return song.title();
    default:
        return QString();
    }
}

QIcon AlbumContentModel::stateIcon() const {
    return librarystyle::stateIcon(m_state);
}

} // namespace kelvane
