#pragma once

#include <functional>

namespace kelvane {

// Every completion of the image loader reaches its caller on the application's
// thread, so views may touch themselves without locks. These helpers hand work there.

bool isMainThread();
// Queues fn for the application's thread, even when already on it.
void postToMainThread(std::function<void()> fn);
// Runs fn at once when on the application's thread, otherwise queues it there.
void runOnMainThread(std::function<void()> fn);

} // namespace kelvane
