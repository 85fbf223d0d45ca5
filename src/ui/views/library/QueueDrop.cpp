#include "ui/views/library/QueueDrop.h"

#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "ui/views/library/AlbumItem.h"
#include "ui/views/library/SongDrag.h"

namespace kelvane::queuedrop {

bool insert(QObject *context, const QMimeData *data, qint32 row, std::function<void()> inserted) {
    const QList<Song> songs = songdrag::songs(data);
    if (!songs.isEmpty()) {
        MPDQueue::sMPDQueue().insertSongs(songs, row);
        if (inserted) inserted();
        return true;
    }
    const std::optional<Album> album = songdrag::album(data);
    if (!album) return false;
    MPDBulk::sMPDBulk().run(
        context, [album = *album] { return MPDAlbum::sMPDAlbum().getAlbumContent(album); },
        [name = album->albumName, row, inserted](std::optional<QList<Song>> content) {
            if (!content) return;
            // Its own songs only: the directory may hold another album.
            const QList<Song> own = AlbumItem::songsOfAlbum(*content, name);
            if (own.isEmpty()) return;
            MPDQueue::sMPDQueue().insertSongs(own, row);
            if (inserted) inserted();
        });
    return true;
}

void append(QObject *context, const QMimeData *data) {
    const QList<qint32> rows = songdrag::queueRows(data);
    if (!rows.isEmpty()) {
        MPDQueue::sMPDQueue().moveRows(rows, end);
        return;
    }
    insert(context, data, end);
}

} // namespace kelvane::queuedrop
