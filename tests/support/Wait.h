#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace kelvane::test {

// Runs the event loop until pred() holds or the time is up; answers pred() at the end.
template <class Pred> bool waitUntil(Pred pred, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired()) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for a while (lets timers fire).
inline void spin(int ms) {
    waitUntil([] { return false; }, ms);
}

} // namespace kelvane::test
