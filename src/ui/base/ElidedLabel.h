#pragma once

#include <QLabel>

namespace kelvane {

// A one-line label that ends a text too long for its width with "…" instead of cutting
// it off; text() stays the whole text. It asks for no width of its own, so a layout may
// make it as narrow as it needs. GUI thread.
class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(const QString &text = {}, QWidget *parent = nullptr);

    // The text as drawn at the present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace kelvane
