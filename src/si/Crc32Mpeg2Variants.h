#pragma once
// The implementations behind Crc32Mpeg2, exposed so tests and benchmarks can hold them
// against each other. Each continues a CRC register: pass 0xFFFFFFFF to start a new CRC,
// or the result of an earlier call to go on over the next bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace crc32mpeg2 {

constexpr uint32_t polynomial = 0x04C11DB7u;

// tables[k][i]: the register after byte i followed by k zero bytes, starting from 0.
// tables[0] is the classic one-byte table.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeTables() {
    std::array<std::array<uint32_t, 256>, 8> tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t reg = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x80000000u) ? (reg << 1) ^ polynomial : reg << 1;
        tables[0][i] = reg;
    }
    for (size_t k = 1; k < 8; ++k)
        for (size_t i = 0; i < 256; ++i) {
            uint32_t prev = tables[k - 1][i];
            tables[k][i] = (prev << 8) ^ tables[0][prev >> 24];
        }
    return tables;
}

inline constexpr std::array<std::array<uint32_t, 256>, 8> tables = MakeTables();

// One table lookup per byte: the reference.
uint32_t Bytewise(uint32_t crc, const uint8_t* bytes, size_t count);
// Eight bytes per step through eight tables.
uint32_t Slicing8(uint32_t crc, const uint8_t* bytes, size_t count);
// Carry-less multiplication folding; call only when ClmulSupported().
uint32_t Clmul(uint32_t crc, const uint8_t* bytes, size_t count);
// Whether this build and this processor can run Clmul.
bool ClmulSupported();
// The same, four lanes per instruction on 512-bit registers; call only when
// WideClmulSupported().
uint32_t WideClmul(uint32_t crc, const uint8_t* bytes, size_t count);
bool WideClmulSupported();

}  // namespace crc32mpeg2
