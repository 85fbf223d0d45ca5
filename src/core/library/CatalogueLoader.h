#pragma once

// CatalogueLoader — reads the catalogue for the window: the album list and the index of
// its songs, together, on the second connection's thread, and stores both in MPDCache.
//   CatalogueLoader::sCatalogueLoader()
//   load()       starts a read unless the list and its songs are stored, or a read
//                started since the list was last set is under way; true while one runs
//   isLoading()
//   progress(albums)   albums found so far, during a read
//   finished(ok)       the read ended; ok when it gave a list (stored unless another
//                      one was stored meanwhile)
// The grid, the song search and the sidebar's album count all wait on the one read, so
// a library is read once however many of them ask, and whether the grid is shown or not.
// Thread: GUI.
#include <QObject>

namespace kelvane {

class CatalogueLoader : public QObject {
    Q_OBJECT
  public:
    static CatalogueLoader &sCatalogueLoader();

    bool load();
    bool isLoading() const { return m_loading; }

  Q_SIGNALS:
    void progress(qsizetype albums);
    void finished(bool ok);

  private:
    CatalogueLoader() = default;

    bool m_loading = false;
    quint64 m_ticket = 0;
    quint64 m_generation = 0; // MPDCache's list count when the read in flight started
};

} // namespace kelvane
