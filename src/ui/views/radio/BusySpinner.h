#pragma once

#include <QTimer>
#include <QWidget>

namespace kelvane {

// A small indeterminate progress indicator: a turning arc, visible only while
// spinning. The radio browser shows it while a directory page loads. GUI thread.
class BusySpinner : public QWidget {
    Q_OBJECT
  public:
    explicit BusySpinner(QWidget *parent = nullptr);

    void start();
    void stop();
    bool isSpinning() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return {20, 20}; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QTimer m_timer;
    int m_angle = 0;
};

} // namespace kelvane
