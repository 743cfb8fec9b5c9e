#pragma once
// Sets the process-wide ChannelBase for one test and restores the previous value after it.

#include <cstdint>

#include "si/Settings.h"

class ChannelBaseGuard {
public:
    explicit ChannelBaseGuard(int32_t value) : saved(ChannelBase) { ChannelBase = value; }
    ~ChannelBaseGuard() { ChannelBase = saved; }
    ChannelBaseGuard(const ChannelBaseGuard&) = delete;
    ChannelBaseGuard& operator=(const ChannelBaseGuard&) = delete;

private:
    int32_t saved;
};
