#pragma once
#include <cstdint>

// Process-wide settings, filled once from the configuration before the graph runs and only
// read afterwards.
extern int32_t Timeout;      // idle period in seconds
extern int32_t ChannelBase;  // added to every channel id

// A channel's id as written: channelNumber + ChannelBase in 32 bits, reduced modulo 65536.
inline uint16_t ChannelId(uint16_t channelNumber) {
    return static_cast<uint16_t>(static_cast<uint32_t>(channelNumber) +
                                 static_cast<uint32_t>(ChannelBase));
}
