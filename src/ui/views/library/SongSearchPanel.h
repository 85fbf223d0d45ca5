#pragma once

// SongSearchPanel — the "Titres" part of the library under the albums: the songs the
// server's search finds for the text typed above the grid. Typing restarts a short wait
// (debounce); the search then runs on the second connection's thread, and only the latest
// answer is shown. At most songLimit rows, with a note when the server had more. A double
// click plays the song's album from that song; the context menu adds the song (or the
// selection) to the queue or to a stored playlist. Thread: GUI.
#include "core/model/Song.h"

#include <QTimer>
#include <QWidget>

class QLabel;

namespace kelvane {

class PlaylistModel;
class SongTable;

class SongSearchPanel : public QWidget {
    Q_OBJECT
  public:
    explicit SongSearchPanel(QWidget *parent = nullptr);

    // Starts the wait for text (blank: the panel empties and hides).
    void setText(const QString &text);
    // Searches now, without the wait.
    void searchNow();
    // Plays the album of the song at row, from that song.
    void playAlbumOf(int row);

    static constexpr int debounceMs = 250;
    static constexpr qsizetype defaultLimit = 500;
    void setSongLimit(qsizetype limit) { m_limit = limit; }

    SongTable *table() const { return m_table; }
    PlaylistModel *model() const { return m_model; }
    QLabel *note() const { return m_note; }
    QTimer *debounce() { return &m_debounce; }

  private:
    void showContextMenu(int row, QPoint globalPos);
    QList<Song> songsFor(int contextRow) const;

    QLabel *m_note = nullptr;
    SongTable *m_table = nullptr;
    PlaylistModel *m_model = nullptr;
    QTimer m_debounce;
    QString m_text;
    quint64 m_ticket = 0;
    qsizetype m_limit = defaultLimit;
};

} // namespace kelvane
