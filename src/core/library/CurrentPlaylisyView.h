#pragma once

// CurrentPlaylisyView — the name of the stored playlist the playlist view is to show:
// set by the main window when a playlist is chosen in the sidebar, read by the playlist
// view when it loads. A null QString until first set. Thread: GUI.
#include <QString>

namespace kelvane {

class CurrentPlaylisyView {
  public:
    static QString currentPlaylist();
    static void setCurrentPlaylist(const QString &name);
};

} // namespace kelvane
