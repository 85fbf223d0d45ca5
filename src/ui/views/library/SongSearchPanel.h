#pragma once

// SongSearchPanel — the "Titres" part of the library under the albums: the songs whose
// tags hold every word typed above the grid, blind to case and accents like the album
// filter. Typing restarts a short wait (debounce); the search then looks the words up in
// the catalogue's song index (MPDCache, built by CatalogueLoader when the catalogue is
// read) on a thread of the panel's own, and only the latest answer is shown. No index
// yet: it waits for the catalogue's read. At most songLimit rows, with a note when there
// were more. A double click plays the song's album from that song; the context menu also
// appends the song (or the selection) to the queue, puts it next, or adds it to a stored
// playlist. Thread: GUI (searches on the panel's pool).
#include "core/model/Song.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

class QLabel;
class QMenu;

namespace kelvane {

class PlaylistModel;
class SongTable;

class SongSearchPanel : public QWidget {
    Q_OBJECT
  public:
    explicit SongSearchPanel(QWidget *parent = nullptr);
    ~SongSearchPanel() override;

    // Starts the wait for text (blank: the panel empties and hides).
    void setText(const QString &text);
    // Searches now, without the wait.
    void searchNow();
    // Plays the album of the song at row, from that song.
    void playAlbumOf(int row);
    // The context menu of row (the selection when row is part of it).
    void fillContextMenu(QMenu *menu, int row);

    static constexpr int debounceMs = 100;
    static constexpr qsizetype defaultLimit = 500;
    void setSongLimit(qsizetype limit) { m_limit = limit; }
    // Tests that look at the rows right after each step: searches run in place.
    static void setSearchesInline(bool on) { s_inline = on; }

    SongTable *table() const { return m_table; }
    PlaylistModel *model() const { return m_model; }
    QLabel *note() const { return m_note; }
    QTimer *debounce() { return &m_debounce; }
    // A search is under way (or waits for the catalogue).
    bool isSearching() const { return m_searching; }

  Q_SIGNALS:
    // The rows show the answer for the text typed last.
    void searched();

  private:
    void showContextMenu(int row, QPoint globalPos);
    QList<Song> songsFor(int contextRow) const;
    void catalogueRead();
    void showFound(const QList<Song> &songs, bool cut);

    QLabel *m_note = nullptr;
    SongTable *m_table = nullptr;
    PlaylistModel *m_model = nullptr;
    QTimer m_debounce;
    QString m_text;
    quint64 m_ticket = 0;
    qsizetype m_limit = defaultLimit;
    bool m_searching = false;
    bool m_waitingForCatalogue = false;
    // One search at a time; a newer text's search follows it, older ones are skipped.
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<quint64>> m_latest = std::make_shared<std::atomic<quint64>>(0);
    static inline bool s_inline = false;
};

} // namespace kelvane
