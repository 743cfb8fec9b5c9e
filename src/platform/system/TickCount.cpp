#include "platform/system/TickCount.h"

#include <chrono>

DWORD GetTickCount() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<DWORD>(static_cast<uint64_t>(ms));
}
