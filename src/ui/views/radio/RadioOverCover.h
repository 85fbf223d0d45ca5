#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QToolButton;

namespace kelvane {

// The hover layer over an audio entry's logo in the radio grid: while the pointer is
// over it, a play button fades in, and 0.15 s later an add-to-streams button; both go
// at once when the pointer leaves. GUI thread.
class RadioOverCover : public QWidget {
    Q_OBJECT
  public:
    static constexpr int fadeMs = 300;
    static constexpr int addDelayMs = 150;

    explicit RadioOverCover(QWidget *parent = nullptr);

    QToolButton *playButton() const { return m_playButton; }
    QToolButton *addButton() const { return m_addButton; }
    // Opacity of each button, 0 to 1.
    qreal playAlpha() const;
    qreal addAlpha() const;
    bool isHovered() const { return m_hovered; }

  Q_SIGNALS:
    void playClicked();
    void addClicked();

  protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void fadeIn(QWidget *button);
    void reset();

    QToolButton *m_playButton;
    QToolButton *m_addButton;
    bool m_hovered = false;
};

} // namespace kelvane
