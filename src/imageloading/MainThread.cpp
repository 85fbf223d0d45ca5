#include "imageloading/MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace kelvane {

bool isMainThread() {
    const auto *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void postToMainThread(std::function<void()> fn) {
    auto *app = QCoreApplication::instance();
    if (!app) {
        // Without an application there is no loop to queue on; running now beats losing it.
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void runOnMainThread(std::function<void()> fn) {
    if (isMainThread())
        fn();
    else
        postToMainThread(std::move(fn));
}

} // namespace kelvane
