#pragma once
// The idle-timeout end of a run: a periodic check that ends the run once a whole period has
// passed without a media sample that brought anything new.

#include <cstdint>

// The proxy's lastActivityTick as the previous check saw it; 0 at start.
extern uint32_t seenTick;

// The timer callback; `parameter` is the DVBFilterToParserProxy. When the stamp is the same
// non-zero value as at the previous check, it closes the document and wakes the main thread;
// otherwise it remembers the stamp.
void IdleCheck(void* parameter, bool timerOrWaitFired);

// Starts the idle timer with IdleCheck: first check at once, then every periodMs
// milliseconds (0: the first check only). False when the timer cannot be created.
bool CreateIdleTimer(void* proxy, uint32_t periodMs);

// Deletes the idle timer when it exists. No check starts after it, and a check that was
// already running has finished when it returns, so the proxy and the stream may go.
void DeleteIdleTimer();
