#include "ui/views/library/PlaylistModel.h"

namespace kelvane {

PlaylistModel::PlaylistModel(QObject *parent)
    : SongTableModel({QStringLiteral("N°"), QStringLiteral("Artiste"), QStringLiteral("Album"),
                      QStringLiteral("Titre"), QStringLiteral("Compositeur"),
                      QStringLiteral("Durée"), QString()},
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
