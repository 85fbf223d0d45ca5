#include "imageloading/ImageCodersManager.h"

#include "imageloading/ImageIOCoder.h"

namespace kelvane {

ImageCodersManager &ImageCodersManager::sharedInstance() {
    static ImageCodersManager *instance = new ImageCodersManager; // lives for the whole run
    return *instance;
}

ImageCodersManager::ImageCodersManager() : m_coders{ImageIOCoder::sharedCoder()} {}

void ImageCodersManager::addCoder(std::shared_ptr<ImageCoder> coder) {
    if (!coder) return;
    QMutexLocker locker(&m_lock);
    if (m_coders.contains(coder)) return;
    QList<std::shared_ptr<ImageCoder>> next = m_coders;
    next.append(std::move(coder));
    m_coders = std::move(next);
}

void ImageCodersManager::removeCoder(const std::shared_ptr<ImageCoder> &coder) {
    if (!coder) return;
    QMutexLocker locker(&m_lock);
    QList<std::shared_ptr<ImageCoder>> next = m_coders;
    next.removeAll(coder);
    m_coders = std::move(next);
}

QList<std::shared_ptr<ImageCoder>> ImageCodersManager::coders() const {
    QMutexLocker locker(&m_lock);
    return m_coders;
}

bool ImageCodersManager::canDecodeFromData(const QByteArray &data) const {
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it)
        if ((*it)->canDecodeFromData(data)) return true;
    return false;
}

QImage ImageCodersManager::decodedImageWithData(const QByteArray &data) const {
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it)
        if ((*it)->canDecodeFromData(data)) return (*it)->decodedImageWithData(data);
    return {};
}

QImage ImageCodersManager::decodedImageWithData(const QByteArray &data, QSize targetSize) const {
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it)
        if ((*it)->canDecodeFromData(data)) return (*it)->decodedImageWithData(data, targetSize);
    return {};
}

QImage ImageCodersManager::decompressedImageWithImage(const QImage &image, QByteArray *data,
                                                      const ImageCoderOptions &options) const {
    if (image.isNull()) return {};
    const QByteArray probe = data ? *data : QByteArray();
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it) {
        if (!(*it)->canDecodeFromData(probe)) continue;
        QImage result = (*it)->decompressedImageWithImage(image, data, options);
        if (!result.isNull() && imageFormatOf(result) != imageFormatOf(image))
            setImageFormat(result, imageFormatOf(image));
        return result;
    }
    return {};
}

bool ImageCodersManager::canEncodeToFormat(ImageFormat format) const {
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it)
        if ((*it)->canEncodeToFormat(format)) return true;
    return false;
}

QByteArray ImageCodersManager::encodedDataWithImage(const QImage &image, ImageFormat format) const {
    if (image.isNull()) return {};
    const auto snapshot = coders();
    for (auto it = snapshot.crbegin(); it != snapshot.crend(); ++it)
        if ((*it)->canEncodeToFormat(format)) return (*it)->encodedDataWithImage(image, format);
    return {};
}

} // namespace kelvane
