#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace kelvane {

// Waits on the GUI thread for work done elsewhere, delivering meanwhile only the posted
// events of one type (to one receiver, or to all when null) that hand results back. A
// nested event loop would also run the stdin lines queued behind the command (a "quit"
// among them) and print their answers before this one's. Callers' waits are bounded by
// the time-outs of the work they wait for.
template <class Done> void deliverUntil(Done done, QEvent::Type type, QObject *receiver = nullptr) {
    while (!done()) {
        QCoreApplication::sendPostedEvents(receiver, type);
        if (!done()) QThread::msleep(1);
    }
}

} // namespace kelvane
