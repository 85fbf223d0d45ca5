#pragma once

#include "imageloading/ImageLoadOptions.h"

#include <QImage>
#include <QLabel>
#include <QUrl>

namespace kelvane {

class ImageTarget;
class ImageManager;

// A picture loaded from an address through the image cache and downloader, with a
// placeholder shown until it arrives (or for good when it cannot be had). The picture
// is drawn scaled to fit, centred, optionally with rounded corners; a label of fixed
// size gets it decoded at that size. GUI thread.
//
//     auto *cover = new ImageLabel(this);
//     cover->setImageWithURL(coverUrl, Icons::image("no_cover"));
class ImageLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ImageLabel(QWidget *parent = nullptr, ImageManager *manager = nullptr);

    void setImageWithURL(const QUrl &url, const QImage &placeholder = QImage(),
                         ImageLoadOptions options = 0);
    // The placeholder named among the application's pictures ("no_cover").
    void setImageWithURL(const QUrl &url, const QString &placeholderName);
    void cancelCurrentImageLoad();
    // Shows a picture directly (and stops a load in flight).
    void setImage(const QImage &image);

    QImage image() const { return m_image; }
    QUrl imageURL() const;
    bool isLoading() const;

    void setCornerRadius(qreal radius);
    qreal cornerRadius() const { return m_cornerRadius; }
    // Fill the whole label, cropping what overflows, instead of fitting inside it.
    void setFill(bool fill);

    QSize sizeHint() const override;

  Q_SIGNALS:
    void imageChanged(const QImage &image);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    ImageTarget *m_target;
    QImage m_image;
    qreal m_cornerRadius = 0;
    bool m_fill = false;
};

} // namespace kelvane
