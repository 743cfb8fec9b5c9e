#include "sibuild/DvbTime.h"

#include <gtest/gtest.h>

using sibuild::Bytes;

TEST(DvbTimeEncoding, AnnexCExampleAndEpoch) {
    // 1993-10-13 12:45:00 is MJD 49273 (0xC079).
    EXPECT_EQ(sibuild::EncodeUtcTime(sibuild::UtcSeconds(1993, 10, 13, 12, 45, 0)),
              (Bytes{0xC0, 0x79, 0x12, 0x45, 0x00}));
    EXPECT_EQ(sibuild::EncodeUtcTime(0), (Bytes{0x9E, 0x8B, 0x00, 0x00, 0x00}));  // MJD 40587
    EXPECT_EQ(sibuild::EncodeDuration(3600 + 45 * 60 + 30), (Bytes{0x01, 0x45, 0x30}));
}
