#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QApplication;
class QStyle;
class QWidget;

namespace kelvane {

// The look shared by every window and view: one accent colour, a light or dark palette
// that follows the desktop, and a few fonts. GUI thread.
namespace Style {

// The orange that marks the playing song (and the app's accent): 255, 171, 1.
QColor accent();
// Opaque red of a refused field's label.
QColor errorRed();
// The normal label colour and the dimmer one of secondary texts (times, subtitles).
QColor labelColor();
QColor secondaryLabelColor();
// Backgrounds of the sidebar and of the now-playing bar, a shade off the window's.
QColor sidebarBackground();
QColor barBackground();
QColor separatorColor();
// The border of a text field at rest. Fusion draws it a shade darker than the window,
// which in the dark palette is all but black on black.
QColor fieldBorderColor(const QPalette &palette);

bool isDark(const QPalette &palette);
bool isDark();

// Fusion with our palette: dark when KELVANE_THEME=dark or when the desktop's own
// palette is dark, light otherwise (KELVANE_THEME=light forces it).
void applyApplicationStyle(QApplication &app);
// Fusion, with the borders of text fields, check boxes and radio buttons in
// fieldBorderColor() in the dark palette.
QStyle *createStyle();
QPalette lightPalette();
QPalette darkPalette();

QFont titleFont();    // the now-playing title, view titles
QFont subtitleFont(); // artist and album lines
QFont smallFont();    // badges, table details
QFont headerFont();   // sidebar group headers (small caps feel)
// Digits of equal width, so a running time does not jiggle.
QFont timeFont();

// Sets a label's foreground colour without touching the rest of its palette.
void setTextColor(QWidget *widget, const QColor &color);

} // namespace Style
} // namespace kelvane
