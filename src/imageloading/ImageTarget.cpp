#include "imageloading/ImageTarget.h"

namespace kelvane {

ImageTarget::ImageTarget(QObject *parent, ImageManager *manager)
    : QObject(parent), m_binding(nullptr, manager) {
    connect(&m_binding, &ImageBinding::imageChanged, this,
            [this](quint64, const QImage &image) { Q_EMIT imageChanged(image); });
}

void ImageTarget::setImageWithURL(const QUrl &url, const QImage &placeholder,
                                  ImageLoadOptions options, ImageBindingCompletion completed,
                                  QSize targetSize) {
    m_binding.setImageWithURL(0, url, placeholder, options, std::move(completed), targetSize);
}

} // namespace kelvane
