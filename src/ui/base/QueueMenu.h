#pragma once

// QueueMenu — the three ways a context menu puts songs in the play queue, the first its
// default (shown in bold, what a double click does):
//   the play entry ("Lire", "Lire l'album"…)   replaces the queue and plays
//   "Ajouter à la lecture en cours"           appends the songs
//   "Lire ensuite"                           puts them right after the current song
// The songs are asked for only once an entry is chosen (an album's are read then).
// Thread: GUI.
#include "core/model/Song.h"

#include <QList>
#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace kelvane::queuemenu {

using SongsReady = std::function<void(const QList<Song> &songs)>;
// Hands the songs to its argument, now or later (after a read).
using SongsSource = std::function<void(SongsReady ready)>;

QString appendTitle();   // "Ajouter à la lecture en cours"
QString playNextTitle(); // "Lire ensuite"

// Adds the three entries; returns the play entry.
QAction *add(QMenu *menu, const QString &playTitle, std::function<void()> play, SongsSource songs);

} // namespace kelvane::queuemenu
