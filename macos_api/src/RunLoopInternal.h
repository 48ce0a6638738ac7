// Work queued onto a run loop from inside this layer (listener deliveries).
#pragma once

#include <CoreFoundation/CFRunLoop.h>

#include <functional>

namespace macapi {

// Runs work on rl's thread the next time rl runs in mode (NULL or the
// common modes: any mode), in the order queued.
void RunLoopPerform(CFRunLoopRef rl, CFStringRef mode, std::function<void()> work);

} // namespace macapi
