#include "si/Crc32Mpeg2.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t reg = i << 24;
        for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
        table[i] = reg;
    }
    return table;
}

constexpr std::array<uint32_t, 256> crcTable = MakeTable();

}  // namespace

uint32_t Crc32Mpeg2(const uint8_t* bytes, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) crc = (crc << 8) ^ crcTable[(crc >> 24) ^ bytes[i]];
    return crc;
}
