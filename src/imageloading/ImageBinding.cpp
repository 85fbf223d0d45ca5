#include "imageloading/ImageBinding.h"

#include "imageloading/ImageCombinedOperation.h"
#include "imageloading/ImageManager.h"

#include <QPointer>

namespace kelvane {

ImageBinding::ImageBinding(QObject *parent, ImageManager *manager)
    : QObject(parent), m_manager(manager ? manager : &ImageManager::sharedManager()) {}

ImageBinding::~ImageBinding() {
    for (Slot &slot : m_slots)
        if (slot.operation) slot.operation->cancel();
}

void ImageBinding::setImageWithURL(Key key, const QUrl &url, const QImage &placeholder,
                                   ImageLoadOptions options, ImageBindingCompletion completed,
                                   QSize targetSize) {
    const quint64 generation = ++m_generation;
    {
        Slot &slot = m_slots[key];
        if (slot.operation) slot.operation->cancel();
        slot.operation.reset();
        slot.loading = false;
        slot.generation = generation;
        slot.url = url;
    }
    if (!(options & LoadDelayPlaceholder)) show(key, placeholder);

    if (url.isEmpty()) {
        if (completed)
            completed({}, ImageError::image(-1, QStringLiteral("Trying to load a nil url")),
                      ImageCacheSource::None, url);
        return;
    }
    if (auto it = m_slots.find(key); it != m_slots.end() && it->generation == generation)
        it->loading = true;
    else
        return; // a handler of imageChanged already gave the key something else

    QPointer<ImageBinding> self(this);
    auto operation = m_manager->loadImageWithURL(
        url, options, {},
        [self, key, generation, options, placeholder,
         completed](const QImage &image, const QByteArray &, const ImageError &error,
                    ImageCacheSource source, bool finished, const QUrl &imageUrl) {
            if (self)
                self->loadEnded(key, generation, image, error, source, finished, imageUrl, options,
                                placeholder, completed);
        },
        targetSize);
    // A memory hit has already ended the load; keep the handle only while it runs.
    if (auto it = m_slots.find(key);
        it != m_slots.end() && it->generation == generation && it->loading)
        it->operation = std::move(operation);
}

void ImageBinding::loadEnded(Key key, quint64 generation, const QImage &image,
                             const ImageError &error, ImageCacheSource source, bool finished,
                             const QUrl &url, ImageLoadOptions options, const QImage &placeholder,
                             const ImageBindingCompletion &completed) {
    auto it = m_slots.find(key);
    if (it == m_slots.end() || it->generation != generation)
        return; // superseded: this image belongs to what the key showed before
    if (finished) {
        it->operation.reset();
        it->loading = false;
    }
    const bool callCompletion = finished || (options & LoadAvoidAutoSetImage);
    const bool leaveAsIs = (!image.isNull() && (options & LoadAvoidAutoSetImage)) ||
                           (image.isNull() && !(options & LoadDelayPlaceholder));
    if (!leaveAsIs) show(key, image.isNull() ? placeholder : image);
    if (completed && callCompletion) completed(image, error, source, url);
}

void ImageBinding::show(Key key, const QImage &image) {
    auto it = m_slots.find(key);
    if (it == m_slots.end()) return;
    if (it->shown.isNull() == image.isNull() && it->shown.cacheKey() == image.cacheKey()) return;
    it->shown = image;
    Q_EMIT imageChanged(key, image);
}

void ImageBinding::cancelCurrentImageLoad(Key key) {
    auto it = m_slots.find(key);
    if (it == m_slots.end()) return;
    if (it->operation) it->operation->cancel();
    it->operation.reset();
    it->loading = false;
    ++it->generation;
}

void ImageBinding::forget(Key key) {
    auto it = m_slots.find(key);
    if (it == m_slots.end()) return;
    if (it->operation) it->operation->cancel();
    m_slots.erase(it);
}

void ImageBinding::forgetAll() {
    const auto slots = std::exchange(m_slots, {});
    for (const Slot &slot : slots)
        if (slot.operation) slot.operation->cancel();
}

QImage ImageBinding::image(Key key) const {
    return m_slots.value(key).shown;
}

QUrl ImageBinding::imageURL(Key key) const {
    return m_slots.value(key).url;
}

bool ImageBinding::isLoading(Key key) const {
    return m_slots.value(key).loading;
}

qsizetype ImageBinding::loadingCount() const {
    qsizetype count = 0;
    for (const Slot &slot : m_slots)
        count += slot.loading ? 1 : 0;
    return count;
}

} // namespace kelvane
