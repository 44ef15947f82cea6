// Work handed from another thread to the user-interface thread, run there
// by its event loop, in the order posted. The work must not point at a
// window that may be gone by then: it names its receiver by something the
// window thread looks up (see results::AnswerRequest).
#pragma once

#include <functional>

namespace platform {

// Any thread; returns at once.
void PostToWindowThread(std::function<void()> work);

}  // namespace platform

namespace platform {

// Handles the window thread's events until done() holds or, when
// timeoutMillis is not negative, that time has passed; returns done(). For
// the few places that must see work on another thread end before they go on
// (connecting, shutting down) while every window stays alive meanwhile.
bool ServeUntil(const std::function<bool()>& done, int timeoutMillis = -1);

}  // namespace platform
