#pragma once

// AboutDialog — "À propos de Kelvane": the icon, the name and version, one sentence, a
// close button. Wide enough that a window manager shows its whole title (a bare message
// box sized to its two short lines had it cut to "À prop… lvane"). Window-modal over
// its parent; deletes itself when closed.
// Thread: GUI.
#include <QDialog>

namespace kelvane {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // The width a title bar needs for title: its text in the title font, and room for
    // the window's buttons either side.
    static int widthForTitle(const QString &title, const QFont &font);
};

} // namespace kelvane
