#include "platform/sources/EndOfCaptureSignal.h"

void EndOfCaptureSignal::SetHandler(std::function<void()> newHandler) {
    std::function<void()> call;
    {
        std::lock_guard lock(mutex);
        handler = std::move(newHandler);
        if (fired && !delivered && handler) {
            delivered = true;
            call = handler;
        }
    }
    // Outside the lock: the handler may well ask whether the end has come.
    if (call)
        call();
}

void EndOfCaptureSignal::Fire() {
    std::function<void()> call;
    {
        std::lock_guard lock(mutex);
        if (fired)
            return;
        fired = true;
        if (handler) {
            delivered = true;
            call = handler;
        }
    }
    if (call)
        call();
}

bool EndOfCaptureSignal::Fired() {
    std::lock_guard lock(mutex);
    return fired;
}
