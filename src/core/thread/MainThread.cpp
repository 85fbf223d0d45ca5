#include "core/thread/MainThread.h"

#include <QCoreApplication>
#include <QPointer>
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
    // Posted to the application object: a console waiting for an answer delivers the
    // application's posted calls alone, not the input lines queued behind it.
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void postToMainThread(QObject *guard, std::function<void()> fn) {
    // The guard is looked at on the application's thread: the receiver may be deleted
    // there while the worker that posts finishes.
    postToMainThread([guard = QPointer<QObject>(guard), fn = std::move(fn)] {
        if (guard) fn();
    });
}

void runOnMainThread(std::function<void()> fn) {
    if (isMainThread())
        fn();
    else
        postToMainThread(std::move(fn));
}

} // namespace kelvane
