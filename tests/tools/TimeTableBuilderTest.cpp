#include "sibuild/TimeTableBuilder.h"

#include <gtest/gtest.h>

#include "si/Crc32Mpeg2.h"
#include "sibuild/DvbTime.h"

using sibuild::Bytes;

TEST(TimeTableBuilder, TdtAndTotCarryUtcTimeInShortSyntaxSections) {
    const int64_t time = sibuild::UtcSeconds(1993, 10, 13, 12, 45, 0);
    EXPECT_EQ(sibuild::TdtSection(time), (Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00}));

    const Bytes tot = sibuild::TotSection(time, {0x58, 0x02, 0xAA, 0xBB});
    const Bytes head{0x73, 0x70, 0x0F, 0xC0, 0x79, 0x12, 0x45,
                     0x00, 0xF0, 0x04, 0x58, 0x02, 0xAA, 0xBB};
    ASSERT_EQ(tot.size(), head.size() + 4);
    EXPECT_EQ(Bytes(tot.begin(), tot.end() - 4), head);
    EXPECT_EQ(Crc32Mpeg2(tot.data(), tot.size()), 0u);

    const Bytes bare = sibuild::TotSection(time);
    EXPECT_EQ(bare.size(), 3u + 5 + 2 + 4);
    EXPECT_EQ(bare[2], 0x0B);
}
