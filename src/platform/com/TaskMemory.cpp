#include "platform/com/TaskMemory.h"

#include <cstdlib>

LPVOID CoTaskMemAlloc(size_t cb) {
    return std::malloc(cb == 0 ? 1 : cb);
}
void CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}
