#pragma once

#include "ui/base/ProgressSliderCell.h"

#include <QSlider>
#include <functional>
#include <memory>

namespace kelvane {

// A slider drawn from pictures (knob, and the track on either side of it) with a
// fractional value: the now-playing bar's progress, seek and volume controls. A click
// anywhere on the track moves the knob there and starts a drag. GUI thread.
class ProgressSlider : public QSlider {
    Q_OBJECT
  public:
    // A plain cell: the ordinary slider look until pictures are set.
    explicit ProgressSlider(Qt::Orientation orientation = Qt::Horizontal,
                            QWidget *parent = nullptr);
    // Null when no cell results (no knob picture; or, with three, a missing one).
    static ProgressSlider *withKnobImage(const SliderImage &knob, Qt::Orientation orientation,
                                         QWidget *parent = nullptr);
    static ProgressSlider *withImages(const SliderImage &knob, const SliderImage &minimum,
                                      const SliderImage &maximum, Qt::Orientation orientation,
                                      QWidget *parent = nullptr);
    // The knob and tracks of the application's pictures ("knob", "track_min", "track_max").
    static ProgressSlider *standard(Qt::Orientation orientation, QWidget *parent = nullptr);

    ProgressSliderCell *sliderCell() const { return m_cell.get(); }
    // Ignored when cell is null.
    void setSliderCell(std::unique_ptr<ProgressSliderCell> cell);

    SliderImage knobImage() const { return m_cell->knobImage(); }
    void setKnobImage(const SliderImage &image);
    SliderImage minimumValueImage() const { return m_cell->minimumValueImage(); }
    SliderImage maximumValueImage() const { return m_cell->maximumValueImage(); }
    // A picture without cap insets gets them so that only one point of it stretches
    // (turned a quarter first on a vertical slider); one with insets is used as given.
    void setMinimumValueImage(const SliderImage &image);
    void setMaximumValueImage(const SliderImage &image);
    static SliderImage preparedTrackImage(const SliderImage &image, bool minimumSide,
                                          bool vertical);

    // Fractional values; the integer QSlider value counts thousandths.
    double doubleValue() const;
    void setDoubleValue(double value);
    double maximumValue() const;
    void setMaximumValue(double maximum);
    void setMinimumValue(double minimum);

    // The rectangle the knob occupies for the current value, and the track rectangle.
    QRectF knobRect() const;
    QRectF trackRect() const { return QRectF(rect()); }
    // The value a point on the track stands for.
    double valueAt(const QPointF &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int scale = 1000;

    // How the value reads aloud ("1:23 sur 4:05"): the accessible description. Empty
    // without a formatter.
    void setValueText(std::function<QString(double value, double maximum)> format);
    QString valueText() const;
    // A slider that only shows (the progress under the seek bar): a progress bar to
    // screen readers, never changed through them.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QSizeF knobSize() const;
    void paintFocus(QPainter &painter);
    std::unique_ptr<ProgressSliderCell> m_cell;
    std::function<QString(double, double)> m_valueText;
    bool m_readOnly = false;
};

} // namespace kelvane
