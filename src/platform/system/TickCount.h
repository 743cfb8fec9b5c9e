#pragma once
// The system's millisecond tick count: a 32-bit count of milliseconds on the monotonic clock,
// wrapping to 0 after about 49.7 days. Only differences and equality mean anything.

#include "platform/com/Types.h"

DWORD GetTickCount();
