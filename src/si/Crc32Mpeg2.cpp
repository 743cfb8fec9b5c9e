#include "si/Crc32Mpeg2.h"

#include "si/Crc32Mpeg2Variants.h"

namespace crc32mpeg2 {

uint32_t Bytewise(uint32_t crc, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        crc = (crc << 8) ^ tables[0][(crc >> 24) ^ bytes[i]];
    return crc;
}

uint32_t Slicing8(uint32_t crc, const uint8_t* bytes, size_t count) {
    while (count >= 8) {
        // The register meets the first four bytes; each of the eight bytes then stands
        // 7..0 bytes ahead of the end of the step and has its own table.
        uint32_t d = crc ^ (uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
                            uint32_t{bytes[2]} << 8 | bytes[3]);
        crc = tables[7][d >> 24] ^ tables[6][(d >> 16) & 0xFF] ^ tables[5][(d >> 8) & 0xFF] ^
              tables[4][d & 0xFF] ^ tables[3][bytes[4]] ^ tables[2][bytes[5]] ^
              tables[1][bytes[6]] ^ tables[0][bytes[7]];
        bytes += 8;
        count -= 8;
    }
    return Bytewise(crc, bytes, count);
}

}  // namespace crc32mpeg2

namespace {
using CrcFunction = uint32_t (*)(uint32_t, const uint8_t*, size_t);

CrcFunction Choose() {
    if (crc32mpeg2::WideClmulSupported())
        return crc32mpeg2::WideClmul;
    return crc32mpeg2::ClmulSupported() ? crc32mpeg2::Clmul : crc32mpeg2::Slicing8;
}
}  // namespace

uint32_t Crc32Mpeg2(const uint8_t* bytes, size_t count) {
    // Chosen once, on first use, so that callers during static initialisation are safe too.
    static const CrcFunction crc = Choose();
    return crc(0xFFFFFFFFu, bytes, count);
}
