#pragma once
// The task allocator: memory that one side allocates and the other frees, such as a media
// type's format block.

#include <cstddef>

#include "platform/com/Types.h"

LPVOID CoTaskMemAlloc(size_t cb);
void CoTaskMemFree(LPVOID pv);
