#pragma once
// GetTickCount: milliseconds on a monotonic clock in 32 bits. It wraps after about 49.7 days,
// so values are only ever compared for equality or subtracted modulo 2^32.

#include "platform/com/Types.h"

DWORD GetTickCount();
