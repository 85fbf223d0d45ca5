#pragma once

#include "imageloading/ImageBinding.h"

namespace kelvane {

// One picture on screen (a cover label, a radio logo), for code that owns one object
// per picture. Application's thread only. A widget adapter keeps one ImageTarget and
// repaints on imageChanged:
//
//     m_target = new ImageTarget(this);
//     connect(m_target, &ImageTarget::imageChanged, this, [this](const QImage &image) {
//         setPixmap(QPixmap::fromImage(image));
//     });
//     m_target->setImageWithURL(coverUrl, noCover);   // placeholder now, cover later
//
// A new setImageWithURL() cancels the previous load of this target; destroying the
// target cancels its load.
class ImageTarget : public QObject {
    Q_OBJECT
  public:
    explicit ImageTarget(QObject *parent = nullptr, ImageManager *manager = nullptr);

    // targetSize: the size the picture is shown at, in device pixels; invalid for full size.
    void setImageWithURL(const QUrl &url, const QImage &placeholder = QImage(),
                         ImageLoadOptions options = 0, ImageBindingCompletion completed = {},
                         QSize targetSize = {});
    void cancelCurrentImageLoad() { m_binding.cancelCurrentImageLoad(0); }

    QImage image() const { return m_binding.image(0); }
    QUrl imageURL() const { return m_binding.imageURL(0); }
    bool isLoading() const { return m_binding.isLoading(0); }

  Q_SIGNALS:
    void imageChanged(const QImage &image);

  private:
    ImageBinding m_binding;
};

} // namespace kelvane
