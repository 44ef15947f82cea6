// Work handed from another thread to the user-interface thread, run there
// by its event loop. The application object is the receiver, so the call
// never reaches a window that is already gone: whoever posts for a window
// captures a QPointer to it (made on the window's thread) and checks it in
// the function.
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
