#pragma once

#include <QString>

class QWidget;

namespace kelvane {

// Builds the view of the content area for a sidebar entry: "Library", "Queue",
// "Stream", "Radio" or "Playlist" (any other name: none). Each call makes a new view,
// which loads its data afresh. The view's objectName is the entry name. GUI thread.
QWidget *createContentView(const QString &name, QWidget *parent = nullptr);

} // namespace kelvane
