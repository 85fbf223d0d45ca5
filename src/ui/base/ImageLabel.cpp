#include "ui/base/ImageLabel.h"

#include "imageloading/ImageTarget.h"
#include "ui/base/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace kelvane {

ImageLabel::ImageLabel(QWidget *parent, ImageManager *manager)
    : QLabel(parent), m_target(new ImageTarget(this, manager)) {
    connect(m_target, &ImageTarget::imageChanged, this, [this](const QImage &image) {
        m_image = image;
        update();
        Q_EMIT imageChanged(image);
    });
}

void ImageLabel::setImageWithURL(const QUrl &url, const QImage &placeholder,
                                 ImageLoadOptions options) {
    // A label of fixed size shows the picture at that size: it is decoded for it. Any
    // other may grow, so it gets the whole picture.
    const bool fixed = minimumSize() == maximumSize() && !size().isEmpty();
    m_target->setImageWithURL(url, placeholder, options, {},
                              fixed ? size() * devicePixelRatioF() : QSize());
}

void ImageLabel::setImageWithURL(const QUrl &url, const QString &placeholderName) {
    setImageWithURL(url, Icons::image(placeholderName, size().isEmpty() ? QSize() : size()));
}

void ImageLabel::cancelCurrentImageLoad() {
    m_target->cancelCurrentImageLoad();
}

void ImageLabel::setImage(const QImage &image) {
    m_target->cancelCurrentImageLoad();
    m_image = image;
    update();
    Q_EMIT imageChanged(image);
}

QUrl ImageLabel::imageURL() const {
    return m_target->imageURL();
}
bool ImageLabel::isLoading() const {
    return m_target->isLoading();
}

void ImageLabel::setCornerRadius(qreal radius) {
    m_cornerRadius = radius;
    update();
}

void ImageLabel::setFill(bool fill) {
    m_fill = fill;
    update();
}

QSize ImageLabel::sizeHint() const {
    if (m_image.isNull()) return QLabel::sizeHint();
    return m_image.deviceIndependentSize().toSize();
}

void ImageLabel::paintEvent(QPaintEvent *event) {
    if (m_image.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QSizeF source = m_image.deviceIndependentSize();
    QSizeF shown = source.scaled(QSizeF(contentsRect().size()),
                                 m_fill ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), shown);
    target.moveCenter(QRectF(contentsRect()).center());
    if (m_cornerRadius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(target.intersected(QRectF(contentsRect())), m_cornerRadius,
                            m_cornerRadius);
        painter.setClipPath(clip);
    } else if (m_fill) {
        painter.setClipRect(contentsRect());
    }
    painter.drawImage(target, m_image);
}

} // namespace kelvane
