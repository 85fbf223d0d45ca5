#pragma once

// PlaylistView — the stored playlist last chosen in the sidebar (CurrentPlaylisyView),
// read from the server when the view is made and on reload(). A double click or Enter on a row
// replaces the queue with the whole playlist and plays from that row; the context menu
// plays, appends to the queue or adds to another stored playlist; rows drag to the queue.
// Thread: GUI.
#include "core/model/Song.h"
#include "ui/base/ReloadableView.h"

#include <QList>
#include <QString>
#include <QWidget>

namespace kelvane {

class PlaylistModel;
class SongTable;

class PlaylistView : public QWidget, public ReloadableView {
    Q_OBJECT
  public:
    explicit PlaylistView(QWidget *parent = nullptr);
    // The column widths of a table of songs shown as a playlist shows them (also the
    // search's "Titres").
    static void setUpColumns(SongTable *table);

    void doubleClick(int row);
    // Reads the same playlist again, where the table is scrolled to.
    void reload() override;

    QString playlistName() const { return m_name; }
    SongTable *tableOutletPlaylist() const { return m_table; }
    PlaylistModel *model() const { return m_model; }

  private:
    void showContextMenu(int row, QPoint globalPos);
    QList<Song> songsActedOn(int row) const;

    QString m_name;
    quint64 m_ticket = 0;
    SongTable *m_table = nullptr;
    PlaylistModel *m_model = nullptr;
};

} // namespace kelvane
