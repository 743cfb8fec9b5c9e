// CRC-32/MPEG-2 by carry-less multiplication: the bytes are folded 64 at a time into four
// 128-bit lanes, the lanes into one, and that one is reduced to the 32-bit register by
// Barrett reduction. Where the processor multiplies four lanes in one instruction
// (VPCLMULQDQ on 512-bit registers), the bulk is first folded 256 bytes at a time into
// sixteen lanes. The CRC is bit-reversed relative to the usual reflected variants, so
// each 16-byte block is byte-swapped to put its first bit at the top of the lane.

#include "si/Crc32Mpeg2Variants.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

namespace {

// x^n mod P, P the generator polynomial.
constexpr uint64_t XPowMod(unsigned n) {
    uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i)
        r = (r & 0x80000000u) ? (r << 1) ^ crc32mpeg2::polynomial : r << 1;
    return r;
}

constexpr uint64_t fullPolynomial = (uint64_t{1} << 32) | crc32mpeg2::polynomial;

// floor(x^64 / P), the Barrett constant (33 bits).
constexpr uint64_t BarrettMu() {
    uint64_t rem = 0, quotient = 0;
    for (int bit = 64; bit >= 0; --bit) {
        rem = (rem << 1) | (bit == 64 ? 1 : 0);
        quotient <<= 1;
        if (rem & (uint64_t{1} << 32)) {
            rem ^= fullPolynomial;
            quotient |= 1;
        }
    }
    return quotient;
}

// Folding a lane forward by d bits: its high half times x^(d+64), its low half times x^d.
constexpr uint64_t fold2048High = XPowMod(2048 + 64), fold2048Low = XPowMod(2048);
constexpr uint64_t fold512High = XPowMod(512 + 64), fold512Low = XPowMod(512);
constexpr uint64_t fold128High = XPowMod(128 + 64), fold128Low = XPowMod(128);
constexpr uint64_t xPow96 = XPowMod(96), xPow64 = XPowMod(64);
constexpr uint64_t barrettMu = BarrettMu();

#define EPG_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

EPG_CLMUL_TARGET inline __m128i Load(const uint8_t* p, __m128i byteSwap) {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), byteSwap);
}

EPG_CLMUL_TARGET inline __m128i Fold(__m128i lane, __m128i constants) {
    return _mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x11),
                         _mm_clmulepi64_si128(lane, constants, 0x00));
}

// The register after the bytes a lane stands for: lane * x^32 mod P.
EPG_CLMUL_TARGET inline uint32_t Reduce(__m128i lane) {
    const __m128i k96 = _mm_set_epi64x(0, static_cast<long long>(xPow96));
    const __m128i k64 = _mm_set_epi64x(0, static_cast<long long>(xPow64));
    const __m128i mu = _mm_set_epi64x(0, static_cast<long long>(barrettMu));
    const __m128i poly = _mm_set_epi64x(0, static_cast<long long>(fullPolynomial));
    // high * x^96 + low * x^32: below 96 bits.
    __m128i s = _mm_xor_si128(_mm_clmulepi64_si128(lane, k96, 0x01),
                              _mm_slli_si128(_mm_move_epi64(lane), 4));
    // Its top 32 bits times x^64 mod P: below 64 bits.
    __m128i a = _mm_xor_si128(_mm_clmulepi64_si128(s, k64, 0x01), _mm_move_epi64(s));
    // Barrett: quotient = floor(floor(a / x^32) * mu / x^32); a - quotient * P.
    __m128i t = _mm_clmulepi64_si128(_mm_srli_epi64(a, 32), mu, 0x00);
    t = _mm_clmulepi64_si128(_mm_srli_epi64(t, 32), poly, 0x00);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_xor_si128(a, t)));
}

// Folds the rest onto the four lanes of the last 64 bytes and reduces them.
EPG_CLMUL_TARGET uint32_t Finish(__m128i x0, __m128i x1, __m128i x2, __m128i x3,
                                 const uint8_t* bytes, size_t count, __m128i byteSwap) {
    const __m128i k512 =
        _mm_set_epi64x(static_cast<long long>(fold512High), static_cast<long long>(fold512Low));
    while (count >= 64) {
        x0 = _mm_xor_si128(Fold(x0, k512), Load(bytes, byteSwap));
        x1 = _mm_xor_si128(Fold(x1, k512), Load(bytes + 16, byteSwap));
        x2 = _mm_xor_si128(Fold(x2, k512), Load(bytes + 32, byteSwap));
        x3 = _mm_xor_si128(Fold(x3, k512), Load(bytes + 48, byteSwap));
        bytes += 64;
        count -= 64;
    }

    const __m128i k128 =
        _mm_set_epi64x(static_cast<long long>(fold128High), static_cast<long long>(fold128Low));
    x1 = _mm_xor_si128(x1, Fold(x0, k128));
    x2 = _mm_xor_si128(x2, Fold(x1, k128));
    __m128i x = _mm_xor_si128(x3, Fold(x2, k128));
    while (count >= 16) {
        x = _mm_xor_si128(Fold(x, k128), Load(bytes, byteSwap));
        bytes += 16;
        count -= 16;
    }
    return crc32mpeg2::Slicing8(Reduce(x), bytes, count);
}

#define EPG_WIDE_TARGET __attribute__((target("avx512f,avx512bw,vpclmulqdq,pclmul,sse4.1")))

EPG_WIDE_TARGET inline __m512i Load512(const uint8_t* p, __m512i byteSwap) {
    return _mm512_shuffle_epi8(_mm512_loadu_si512(p), byteSwap);
}

// The same two 64-bit constants in every lane.
EPG_WIDE_TARGET inline __m512i Lanes(uint64_t high, uint64_t low) {
    const auto h = static_cast<long long>(high);
    const auto l = static_cast<long long>(low);
    return _mm512_set4_epi64(h, l, h, l);
}

EPG_WIDE_TARGET inline __m512i Fold512(__m512i lanes, __m512i constants) {
    return _mm512_xor_si512(_mm512_clmulepi64_epi128(lanes, constants, 0x11),
                            _mm512_clmulepi64_epi128(lanes, constants, 0x00));
}

}  // namespace

namespace crc32mpeg2 {

EPG_CLMUL_TARGET uint32_t Clmul(uint32_t crc, const uint8_t* bytes, size_t count) {
    if (count < 64)
        return Slicing8(crc, bytes, count);
    const __m128i byteSwap = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    __m128i x0 = Load(bytes, byteSwap);
    // The register so far meets the first 32 bits of the data.
    x0 = _mm_xor_si128(x0, _mm_set_epi32(static_cast<int>(crc), 0, 0, 0));
    return Finish(x0, Load(bytes + 16, byteSwap), Load(bytes + 32, byteSwap),
                  Load(bytes + 48, byteSwap), bytes + 64, count - 64, byteSwap);
}

EPG_WIDE_TARGET uint32_t WideClmul(uint32_t crc, const uint8_t* bytes, size_t count) {
    if (count < 256)
        return Clmul(crc, bytes, count);
    const __m128i byteSwap = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m512i byteSwap4 = _mm512_set4_epi64(0x0001020304050607, 0x08090A0B0C0D0E0F,
                                                0x0001020304050607, 0x08090A0B0C0D0E0F);
    // Each register holds four successive 16-byte lanes.
    __m512i y0 = Load512(bytes, byteSwap4);
    __m512i y1 = Load512(bytes + 64, byteSwap4);
    __m512i y2 = Load512(bytes + 128, byteSwap4);
    __m512i y3 = Load512(bytes + 192, byteSwap4);
    y0 =
        _mm512_xor_si512(y0, _mm512_zextsi128_si512(_mm_set_epi32(static_cast<int>(crc), 0, 0, 0)));
    bytes += 256;
    count -= 256;

    const __m512i k2048 = Lanes(fold2048High, fold2048Low);
    while (count >= 256) {
        y0 = _mm512_xor_si512(Fold512(y0, k2048), Load512(bytes, byteSwap4));
        y1 = _mm512_xor_si512(Fold512(y1, k2048), Load512(bytes + 64, byteSwap4));
        y2 = _mm512_xor_si512(Fold512(y2, k2048), Load512(bytes + 128, byteSwap4));
        y3 = _mm512_xor_si512(Fold512(y3, k2048), Load512(bytes + 192, byteSwap4));
        bytes += 256;
        count -= 256;
    }
    // Each register onto the next, 64 bytes on, leaves the four lanes of the last 64 bytes.
    const __m512i k512 = Lanes(fold512High, fold512Low);
    y1 = _mm512_xor_si512(y1, Fold512(y0, k512));
    y2 = _mm512_xor_si512(y2, Fold512(y1, k512));
    const __m512i y = _mm512_xor_si512(y3, Fold512(y2, k512));
    alignas(64) __m128i x[4];
    _mm512_store_si512(x, y);
    return Finish(x[0], x[1], x[2], x[3], bytes, count, byteSwap);
}

bool WideClmulSupported() {
    return ClmulSupported() && __builtin_cpu_supports("avx512f") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("vpclmulqdq");
}

bool ClmulSupported() {
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

}  // namespace crc32mpeg2

#else

namespace crc32mpeg2 {
// Without the instruction the folding version is the table version.
uint32_t Clmul(uint32_t crc, const uint8_t* bytes, size_t count) {
    return Slicing8(crc, bytes, count);
}
uint32_t WideClmul(uint32_t crc, const uint8_t* bytes, size_t count) {
    return Slicing8(crc, bytes, count);
}
bool ClmulSupported() {
    return false;
}
bool WideClmulSupported() {
    return false;
}
}  // namespace crc32mpeg2

#endif
