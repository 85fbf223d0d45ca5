#pragma once

// What screen readers (through the desktop's accessibility bus) and keyboard users need
// beyond what Qt gives every widget:
// - the picture sliders read their value as people say it ("1:23 sur 4:05", "45 %"), and
//   the progress bar is known as a progress bar, not as a second slider;
// - a search field's clear button has a name;
// - the Menu key and Shift+F10 open an item view's context menu on its current item, where
//   the menu of a right click on that item would open; Shift+F10 opens any other focused
//   widget's menu as the Menu key does.
// Thread: GUI.
#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QLineEdit;
class QWidget;

namespace kelvane::a11y {

// Once per application (later calls do nothing): the accessible interface of the picture
// sliders, and the keyboard context menus.
void install();

// Names the field for screen readers and gives its clear button (when it has one) a name.
void nameSearchField(QLineEdit *field, const QString &name, const QString &description);

// Where a keyboard context menu opens for this view, in its viewport's coordinates: the
// centre of the current item, or a point on no item when there is none.
QPoint keyboardMenuPoint(const QAbstractItemView *view);

// Opens view's context menu as the Menu key does; false when the view takes no menus.
bool openKeyboardMenu(QAbstractItemView *view);

} // namespace kelvane::a11y
