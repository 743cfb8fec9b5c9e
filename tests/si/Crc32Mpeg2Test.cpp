#include "si/Crc32Mpeg2.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {
uint32_t Crc(std::string_view s) {
    return Crc32Mpeg2(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}
}  // namespace

TEST(Crc32Mpeg2, KnownVectors) {
    EXPECT_EQ(Crc(""), 0xFFFFFFFFu);
    EXPECT_EQ(Crc("123456789"), 0x0376E6E7u);  // the catalogued check value of CRC-32/MPEG-2
}
