#pragma once

#include "imageloading/ImageCombinedOperation.h"
#include "imageloading/ImageDownloaderTypes.h"
#include "imageloading/ImageLoadOptions.h"

#include <QSize>
#include <QUrl>
#include <memory>

namespace kelvane {

// Where pictures named by addresses of one scheme come from, when that is not (or not
// only) the web: the manager hands such loads over whole and keeps out of them. The
// implementer owns its cache keys and its threads; it calls completed once, on the
// application's thread, unless the returned handle was cancelled first.
// load() is called on the application's thread.
class ImageSource {
  public:
    virtual ~ImageSource() = default;
    virtual std::shared_ptr<ImageCombinedOperation> load(const QUrl &url, ImageLoadOptions options,
                                                         QSize targetSize,
                                                         ImageManagerCompletion completed) = 0;
};

} // namespace kelvane
