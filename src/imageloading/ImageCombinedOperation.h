#pragma once

#include <QMutex>
#include <memory>

namespace kelvane {

class ImageCacheQueryOperation;
class ImageDownloadToken;
class ImageManager;

// The handle of one manager load: the cache query and then the download. Cancelling it
// stops both and guarantees its completion is not called afterwards. Any thread.
class ImageCombinedOperation {
  public:
    explicit ImageCombinedOperation(ImageManager *manager) : m_manager(manager) {}

    void cancel();
    bool isCancelled() const;

    void setCacheOperation(std::shared_ptr<ImageCacheQueryOperation> operation);
    void setDownloadToken(std::shared_ptr<ImageDownloadToken> token);
    // A load this one waits on (a source's step); cancelled with it. Replaces the
    // previous child without cancelling it: that step has ended.
    void setChildOperation(std::shared_ptr<ImageCombinedOperation> child);
    ImageManager *manager() const { return m_manager; }

  private:
    mutable QMutex m_lock;
    bool m_cancelled = false;
    std::shared_ptr<ImageCacheQueryOperation> m_cacheOperation;
    std::shared_ptr<ImageDownloadToken> m_downloadToken;
    std::shared_ptr<ImageCombinedOperation> m_child;
    ImageManager *m_manager;
};

} // namespace kelvane
