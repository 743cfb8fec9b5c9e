#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/system/Console.h"
#include "platform/system/TickCount.h"

namespace {

// Milliseconds of the monotonic clock, as the tick count reads them before wrapping.
uint32_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000);
}

TEST(TickCount, CountsMillisecondsOfTheMonotonicClockModulo32Bits) {
    const DWORD before = GetTickCount();
    const uint32_t clock = MonotonicMilliseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const DWORD after = GetTickCount();
    // Differences in 32 bits, so that a wrap in between changes nothing.
    EXPECT_LE(static_cast<uint32_t>(clock - before), static_cast<uint32_t>(after - before));
    EXPECT_GE(static_cast<uint32_t>(after - before), 30u);
    EXPECT_LT(static_cast<uint32_t>(after - before), 10000u) << "not milliseconds";
}

// The run control's "-s": hide the console window only when this process owns it. There is
// none, so nothing is hidden.
TEST(Console, NoConsoleWindowOfOurOwnSoNothingIsHidden) {
    bool hidden = false;
    if (HWND window = GetConsoleWindow()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId())
            hidden = ShowWindow(window, SW_HIDE) != FALSE;
    }
    EXPECT_FALSE(hidden);
    EXPECT_EQ(GetConsoleWindow(), nullptr);
    DWORD owner = 1;
    EXPECT_EQ(GetWindowThreadProcessId(nullptr, &owner), 0u);
    EXPECT_EQ(owner, 0u);
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

}  // namespace
