#pragma once

#include <functional>

class QObject;

namespace kelvane {

// The one way work crosses to the application's (GUI) thread. The answers of the server's
// connections, the completions of the image loader and notifications posted from workers
// reach their receivers there, so those touch themselves without locks. Any thread.

bool isMainThread();
// Queues fn for the application's thread, even when already on it.
void postToMainThread(std::function<void()> fn);
// The same, dropped when guard is gone by the time fn would run (a view closed meanwhile).
void postToMainThread(QObject *guard, std::function<void()> fn);
// Runs fn at once when on the application's thread, otherwise queues it there.
void runOnMainThread(std::function<void()> fn);

} // namespace kelvane
