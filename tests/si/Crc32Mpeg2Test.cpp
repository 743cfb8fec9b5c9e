#include "si/Crc32Mpeg2.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

#include "si/Crc32Mpeg2Variants.h"

namespace {
uint32_t Crc(std::string_view s) {
    return Crc32Mpeg2(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

using Variant = uint32_t (*)(uint32_t, const uint8_t*, size_t);
struct NamedVariant {
    const char* name;
    Variant function;
};

std::vector<NamedVariant> FastVariants() {
    std::vector<NamedVariant> variants{{"Slicing8", crc32mpeg2::Slicing8}};
    if (crc32mpeg2::ClmulSupported())
        variants.push_back({"Clmul", crc32mpeg2::Clmul});
    if (crc32mpeg2::WideClmulSupported())
        variants.push_back({"WideClmul", crc32mpeg2::WideClmul});
    return variants;
}
}  // namespace

TEST(Crc32Mpeg2, KnownVectors) {
    EXPECT_EQ(Crc(""), 0xFFFFFFFFu);
    EXPECT_EQ(Crc("123456789"), 0x0376E6E7u);  // the catalogued check value of CRC-32/MPEG-2
    // A section with its own CRC appended leaves the register at 0.
    const uint8_t patSection[] = {0x00, 0xB0, 0x0D, 0x00, 0x01, 0xC1, 0x00, 0x00,
                                  0x00, 0x01, 0xE1, 0x00, 0xE8, 0xF9, 0x5E, 0x7D};
    EXPECT_EQ(Crc32Mpeg2(patSection, sizeof patSection), 0u);
}

TEST(Crc32Mpeg2, TableIsThePolynomialsOneByteTable) {
    EXPECT_EQ(crc32mpeg2::tables[0][1], 0x04C11DB7u);
    EXPECT_EQ(crc32mpeg2::tables[0][0x80], 0x690CE0EEu);
    EXPECT_EQ(crc32mpeg2::tables[0][0xFF], 0xB1F740B4u);
}

// Every variant equals the one-byte table loop at every length around the block sizes and
// at every alignment, from a fresh register and when continuing one.
TEST(Crc32Mpeg2, VariantsMatchBytewiseOverLengthsAndAlignments) {
    std::mt19937 random(20190122);
    std::vector<uint8_t> data(5000 + 16);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(random());

    for (const NamedVariant& variant : FastVariants()) {
        SCOPED_TRACE(variant.name);
        for (size_t length = 0; length <= 5000; ++length) {
            const size_t offset = length % 16;
            const uint8_t* p = data.data() + offset;
            ASSERT_EQ(variant.function(0xFFFFFFFFu, p, length),
                      crc32mpeg2::Bytewise(0xFFFFFFFFu, p, length))
                << "length " << length << " offset " << offset;
        }
        for (size_t offset = 0; offset < 16; ++offset)
            for (size_t length :
                 {63u, 64u, 65u, 127u, 128u, 200u, 255u, 256u, 511u, 4093u, 4096u}) {
                const uint8_t* p = data.data() + offset;
                const uint32_t start = static_cast<uint32_t>(random());
                ASSERT_EQ(variant.function(start, p, length),
                          crc32mpeg2::Bytewise(start, p, length))
                    << "length " << length << " offset " << offset;
            }
    }
}

TEST(Crc32Mpeg2, VariantsHandleExtremeData) {
    for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        std::vector<uint8_t> data(4096, fill);
        for (const NamedVariant& variant : FastVariants()) {
            SCOPED_TRACE(variant.name);
            for (uint32_t start : {0u, 0xFFFFFFFFu})
                EXPECT_EQ(variant.function(start, data.data(), data.size()),
                          crc32mpeg2::Bytewise(start, data.data(), data.size()));
        }
    }
}

TEST(Crc32Mpeg2, EntryPointUsesAnEquivalentVariant) {
    std::vector<uint8_t> data(4096);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    EXPECT_EQ(Crc32Mpeg2(data.data(), data.size()),
              crc32mpeg2::Bytewise(0xFFFFFFFFu, data.data(), data.size()));
}
