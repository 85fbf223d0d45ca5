#include "imageloading/ImageDownloadToken.h"

#include "imageloading/ImageDownloader.h"
#include "imageloading/ImageDownloaderOperation.h"

namespace kelvane {

ImageDownloadToken::ImageDownloadToken(const QUrl &url,
                                       std::weak_ptr<ImageDownloaderOperation> operation,
                                       quint64 handlerId, ImageDownloader *downloader)
    : m_url(url), m_operation(std::move(operation)), m_handlerId(handlerId),
      m_downloader(downloader) {}

void ImageDownloadToken::cancel() {
    if (m_downloader) {
        m_downloader->cancel(*this);
    } else if (auto operation = m_operation.lock()) {
        operation->cancelHandlers(m_handlerId);
    }
}

} // namespace kelvane
