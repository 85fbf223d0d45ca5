#include "ui/views/library/PlaylistModel.h"

namespace kelvane {

PlaylistModel::PlaylistModel(QObject *parent)
    : SongTableModel({tr("N°"), tr("Artiste"), tr("Album"), tr("Titre"), tr("Compositeur"),
                      tr("Durée"), QString()},
                     TrackNumber, Time, parent) {}

void PlaylistModel::setSongs(QList<Song> songs) {
    beginResetModel();
    resetSongs(std::move(songs));
    endResetModel();
}

QString PlaylistModel::cellText(const Song &song, int, int column) const {
    switch (column) {
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
    default:
        return QString();
    }
}

} // namespace kelvane
