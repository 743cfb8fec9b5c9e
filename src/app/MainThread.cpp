#include "app/MainThread.h"

std::function<void()> wakeMainThread;

void WakeMainThread() {
    if (wakeMainThread)
        wakeMainThread();
}
