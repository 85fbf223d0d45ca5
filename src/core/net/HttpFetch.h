#pragma once

#include "core/net/HttpTransfer.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace kelvane {

// Synchronous HTTP GET for worker threads: the caller blocks until the answer, a failure
// or the time-out, while the exchange itself runs on the process's transfer thread.
// Never call it on the GUI thread for work the user waits on, it would stall the window
// for up to the time-out. Thread-safe: nothing is shared between calls.
class HttpFetch {
  public:
    static FetchResult get(const QUrl &url, const FetchLimits &limits = {});

    // The body as text, or a null QString when the fetch failed or the body is not
    // valid UTF-8. An HTTP error answer still gives its body's text.
    static QString getText(const QUrl &url, const FetchLimits &limits = {});

    // UTF-8 bytes as text; null QString for invalid UTF-8, an empty (non-null) string
    // for an empty body.
    static QString decodeUtf8(const QByteArray &bytes);
};

} // namespace kelvane
