#pragma once

// AlbumOverCover — the hover state of the grid's covers: which cell's cover the pointer
// is over, and the opacity of its two buttons. Entering a cover fades the play button in
// over 0.3 s and, 150 ms later, the cover button; leaving hides both at once. The grid's
// delegate paints the buttons with these opacities; changed(row) asks for a repaint.
// Thread: GUI.
#include <QObject>
#include <QTimer>
#include <QVariantAnimation>

namespace kelvane {

class AlbumOverCover : public QObject {
    Q_OBJECT
  public:
    static constexpr int fadeMs = 300;
    static constexpr int secondButtonDelayMs = 150;

    explicit AlbumOverCover(QObject *parent = nullptr);

    // The cover the pointer is over now, or -1.
    void setHoveredRow(int row);
    int hoveredRow() const { return m_row; }
    qreal playerButtonOpacity(int row) const { return row == m_row ? m_playOpacity : 0.0; }
    qreal showCoverOpacity(int row) const { return row == m_row ? m_coverOpacity : 0.0; }

    void mouseEntered(int row);
    void mouseExited();

  Q_SIGNALS:
    void changed(int row);

  private:
    int m_row = -1;
    qreal m_playOpacity = 0;
    qreal m_coverOpacity = 0;
    QVariantAnimation m_playFade;
    QVariantAnimation m_coverFade;
    QTimer m_coverDelay;
};

} // namespace kelvane
