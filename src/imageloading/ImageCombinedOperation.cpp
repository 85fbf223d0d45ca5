#include "imageloading/ImageCombinedOperation.h"

#include "imageloading/ImageCache.h"
#include "imageloading/ImageDownloadToken.h"
#include "imageloading/ImageManager.h"

namespace kelvane {

void ImageCombinedOperation::cancel() {
    std::shared_ptr<ImageCacheQueryOperation> cacheOperation;
    std::shared_ptr<ImageDownloadToken> token;
    std::shared_ptr<ImageCombinedOperation> child;
    {
        QMutexLocker locker(&m_lock);
        if (m_cancelled) return;
        m_cancelled = true;
        cacheOperation = std::move(m_cacheOperation);
        token = std::move(m_downloadToken);
        child = std::move(m_child);
    }
    if (child) child->cancel();
    if (cacheOperation) cacheOperation->cancel();
    // Withdraws this load alone: others waiting for the same URL keep their download.
    if (token) token->cancel();
    if (m_manager) m_manager->removeRunningOperation(this);
}

bool ImageCombinedOperation::isCancelled() const {
    QMutexLocker locker(&m_lock);
    return m_cancelled;
}

void ImageCombinedOperation::setCacheOperation(
    std::shared_ptr<ImageCacheQueryOperation> operation) {
    QMutexLocker locker(&m_lock);
    if (m_cancelled) {
        if (operation) operation->cancel();
        return;
    }
    m_cacheOperation = std::move(operation);
}

void ImageCombinedOperation::setDownloadToken(std::shared_ptr<ImageDownloadToken> token) {
    {
        QMutexLocker locker(&m_lock);
        if (!m_cancelled) {
            m_downloadToken = std::move(token);
            return;
        }
    }
    // Cancelled while the download was being asked for.
    if (token) token->cancel();
}

void ImageCombinedOperation::setChildOperation(std::shared_ptr<ImageCombinedOperation> child) {
    {
        QMutexLocker locker(&m_lock);
        if (!m_cancelled) {
            m_child = std::move(child);
            return;
        }
    }
    if (child) child->cancel();
}

} // namespace kelvane
