#pragma once

#include <QPointer>
#include <QUrl>
#include <memory>

namespace kelvane {

class ImageDownloader;
class ImageDownloaderOperation;

// One caller's share of a download. Cancelling it withdraws that caller alone: the
// download goes on for the others and stops only when nobody is left. Any thread.
class ImageDownloadToken {
  public:
    ImageDownloadToken(const QUrl &url, std::weak_ptr<ImageDownloaderOperation> operation,
                       quint64 handlerId, ImageDownloader *downloader);

    QUrl url() const { return m_url; }
    std::shared_ptr<ImageDownloaderOperation> downloadOperation() const {
        return m_operation.lock();
    }
    quint64 downloadOperationCancelToken() const { return m_handlerId; }

    void cancel();

  private:
    QUrl m_url;
    std::weak_ptr<ImageDownloaderOperation> m_operation;
    quint64 m_handlerId;
    QPointer<ImageDownloader> m_downloader;
};

} // namespace kelvane
