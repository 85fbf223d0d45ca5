#pragma once

// LibraryStyle — the pictures and colours the library views share: the orange of the
// playing song's time, the grey of the other times, the named pictures.
// Thread: GUI.
#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

namespace kelvane::librarystyle {

// The orange that marks the playing song's time.
QColor playingColour();
// The grey of every other time.
QColor secondaryColour(const QPalette &palette);
// A named picture of the application's resources ("no_cover", "state_play", "hires"...).
QIcon icon(const QString &name);
QPixmap pixmap(const QString &name, QSize size, qreal devicePixelRatio = 1.0);
// "state_play" while playing, "state_pause" while paused, nothing otherwise.
QIcon stateIcon(qint32 state);

} // namespace kelvane::librarystyle
