#include "app/IdleCheck.h"

#include <optional>

#include "app/MainThread.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/system/PeriodicTimer.h"

uint32_t seenTick = 0;

namespace {

std::optional<PeriodicTimer> idleTimer;

}  // namespace

void IdleCheck(void* parameter, bool /*timerOrWaitFired*/) {
    auto* proxy = static_cast<DVBFilterToParserProxy*>(parameter);
    const uint32_t current = proxy->lastActivityTick.load();
    if (seenTick != 0 && seenTick == current) {
        // Once only: a later check finds the document closed and does nothing.
        if (proxy->CloseDocument())
            WakeMainThread();
        return;
    }
    seenTick = current;
}

bool CreateIdleTimer(void* proxy, uint32_t periodMs) {
    idleTimer.emplace();
    if (!idleTimer->Start([proxy] { IdleCheck(proxy, true); }, 0, periodMs)) {
        idleTimer.reset();
        return false;
    }
    return true;
}

void DeleteIdleTimer() {
    if (!idleTimer)
        return;
    // Waiting matters: the end of a capture or a signal can end the run while a check is
    // under way, and that check still uses the proxy and the stream that go away next.
    idleTimer->DeleteAndWait();
    idleTimer.reset();
}
