#pragma once
#include <cstddef>
#include <cstdint>

// CRC-32/MPEG-2 of ISO/IEC 13818-1 Annex A: polynomial 0x04C11DB7, initial value
// 0xFFFFFFFF, most significant bit first, no reflection, no final XOR.
uint32_t Crc32Mpeg2(const uint8_t* bytes, size_t count);
