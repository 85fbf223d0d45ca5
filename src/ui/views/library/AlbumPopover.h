#pragma once

// AlbumPopover — the frameless transient window that holds an AlbumContentView next to
// the cover it was opened from: on the cover's right (or its left when the screen ends
// there), 580 wide and 19 px per song + 118 high, up to 470. A click outside closes it
// (Qt::Popup), and so does a dialog or modal window that opens (it would show beneath
// the popover); it deletes itself when closed. Only one is open at a time.
// Thread: GUI.
#include <QFrame>
#include <QPointer>
#include <QRect>

namespace kelvane {

class AlbumContentView;

class AlbumPopover : public QFrame {
    Q_OBJECT
  public:
    // Shows a popover for the album content MPDCache holds, beside anchor (global
    // coordinates), sized for songCount songs.
    static AlbumPopover *display(QWidget *parent, const QRect &anchor, qsizetype songCount);
    static AlbumPopover *current() { return s_current; }

    // Where a popover of size sits beside anchor inside screen.
    static QRect placement(const QRect &anchor, QSize size, const QRect &screen);

    AlbumContentView *contentView() const { return m_content; }

  protected:
    // Closes when a dialog or a modal window shows: a popup would stay above it.
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    explicit AlbumPopover(QWidget *parent);

    AlbumContentView *m_content = nullptr;
    static inline QPointer<AlbumPopover> s_current;
};

} // namespace kelvane
