#pragma once
// What the idle check and the end of a capture call to end the main thread's wait, set by the
// entry for the run as the main thread's id would be. Empty: nothing is woken.

#include <functional>

extern std::function<void()> wakeMainThread;

// Calls wakeMainThread when it is set.
void WakeMainThread();
