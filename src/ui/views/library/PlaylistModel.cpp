#include "ui/views/library/PlaylistModel.h"

#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"

#include <QApplication>

namespace kelvane {

PlaylistModel::PlaylistModel(QObject *parent) : QAbstractTableModel(parent) {}

void PlaylistModel::setSongs(QList<Song> songs) {
    beginResetModel();
    m_songs = std::move(songs);
    endResetModel();
}

int PlaylistModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_songs.size());
}

int PlaylistModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_songs.size()) return {};
    const Song &song = m_songs[index.row()];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case TrackNumber:
            return QString::number(song.track());
        case Artist:
            return song.artist();
        case AlbumColumn:
            return song.album();
        case Title:
            return song.title();
        case Composer:
            return song.composer();
        case Time:
            return librarytext::timeText(song.duration());
        case IsPlaying:
            return QString();
        }
    } else if (role == Qt::ForegroundRole && index.column() == Time) {
        return librarystyle::secondaryColour(QApplication::palette());
    } else if (role == Qt::TextAlignmentRole &&
               (index.column() == Time || index.column() == TrackNumber)) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
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
    case Composer:
        return QStringLiteral("Compositeur");
    case Time:
        return QStringLiteral("Durée");
    case IsPlaying:
        return QString();
    }
    return {};
}

} // namespace kelvane
