#include "core/library/CatalogueLoader.h"

#include "core/library/MPDAlbum.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/thread/MainThread.h"

#include <QPointer>
#include <memory>

namespace kelvane {

CatalogueLoader &CatalogueLoader::sCatalogueLoader() {
    static CatalogueLoader instance;
    return instance;
}

bool CatalogueLoader::load() {
    MPDCache &cache = MPDCache::sMPDCache();
    if (cache.getCurrentAlbumList() && cache.getCurrentSongIndex()) return false;
    // A read started before the list was last set (cleared on a reconnect, replaced by
    // an update) may be reading what is gone: a new one supersedes it.
    if (m_loading && m_generation == cache.albumListGeneration()) return true;
    const quint64 ticket = ++m_ticket;
    m_generation = cache.albumListGeneration();
    m_loading = true;

    struct Read {
        std::optional<QList<Album>> albums;
        std::shared_ptr<const SongIndex> songs;
    };
    QPointer<CatalogueLoader> self(this);
    MPDBulk::sMPDBulk().run(
        this,
        [self, ticket] {
            auto songs = std::make_shared<SongIndex>();
            Read read;
            read.albums = MPDAlbum::sMPDAlbum().getAlbumsList(
                [self, ticket](qsizetype, qsizetype, qsizetype found) {
                    postToMainThread([self, ticket, found] {
                        if (self && ticket == self->m_ticket) Q_EMIT self->progress(found);
                    });
                },
                songs.get());
            if (read.albums) read.songs = std::move(songs);
            return read;
        },
        [this, ticket](Read read) {
            if (ticket != m_ticket) return;
            m_loading = false;
            MPDCache &c = MPDCache::sMPDCache();
            // Not connected: nothing is stored, so the next one to ask reads again. A list
            // stored meanwhile (an update's) is newer than this one, unless it came
            // without its songs.
            if (read.albums && (!c.getCurrentAlbumList() || !c.getCurrentSongIndex()))
                c.setCurrentAlbumList(std::move(read.albums), std::move(read.songs));
            Q_EMIT finished(c.getCurrentAlbumList().has_value());
        });
    return m_loading;
}

} // namespace kelvane
