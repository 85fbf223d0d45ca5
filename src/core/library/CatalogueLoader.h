#pragma once

// One read of the catalogue for the whole window: the grid, the song search and the
// sidebar's album count all wait on it, so a library is read once however many of them
// ask, and whether the grid is shown or not. The album list and the index of its songs
// are read together on the bulk thread and stored together in MPDCache. GUI thread.
#include <QObject>

namespace kelvane {

class CatalogueLoader : public QObject {
    Q_OBJECT
  public:
    static CatalogueLoader &sCatalogueLoader();

    // Starts a read unless the list and its songs are stored, or a read started since
    // the list was last set is under way; true while one runs.
    bool load();
    bool isLoading() const { return m_loading; }

  Q_SIGNALS:
    void progress(qsizetype albums); // found so far
    // ok when the read gave a list (stored unless another was stored meanwhile).
    void finished(bool ok);

  private:
    CatalogueLoader() = default;

    bool m_loading = false;
    quint64 m_ticket = 0;
    quint64 m_generation = 0; // MPDCache's list count when the read in flight started
};

} // namespace kelvane
