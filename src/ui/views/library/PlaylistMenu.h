#pragma once

// PlaylistMenu — the "Ajouter à la playlist" submenu of the song and album context
// menus: one entry per stored playlist, then "Nouvelle playlist…", which asks for a name.
// The names are the ones the sidebar read last (no server exchange when a menu opens);
// the songs are asked for only once an entry is chosen, so an album's are read then.
// A name that turns out to exist already gets the songs appended, as the server does.
// Thread: GUI.
#include "core/model/Song.h"

#include <QList>
#include <QStringList>
#include <functional>

class QMenu;
class QWidget;

namespace kelvane {

class SetNameDialog;

namespace playlistmenu {

using SongsReady = std::function<void(const QList<Song> &songs)>;
// Hands the songs to add to its argument, now or later (after a read).
using SongsSource = std::function<void(SongsReady ready)>;

QMenu *add(QMenu *menu, SongsSource songs);
void setNames(const QStringList &names);
QStringList names();
// Asks for a new playlist's name (the "Nouvelle playlist…" entry), then adds.
SetNameDialog *askNewPlaylist(QWidget *parent, SongsSource songs);
// The dialog opened last, while it is open (for tests).
SetNameDialog *openDialog();

} // namespace playlistmenu
} // namespace kelvane
