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

TEST(TimeTableBuilder, LocalTimeOffsetDescriptorEntries) {
    const int64_t change = sibuild::UtcSeconds(1993, 10, 13, 12, 45, 0);
    const Bytes descriptor = sibuild::LocalTimeOffsetDescriptor(
        {{"FRA", 0, 60, change, 120}, {"BRA", 3, -180, change, -150}});
    // country, region and polarity, offset, time of change, next offset
    const Bytes france{'F', 'R', 'A', 0x02, 0x01, 0x00, 0xC0, 0x79, 0x12, 0x45, 0x00, 0x02, 0x00};
    const Bytes brazil{'B', 'R', 'A', 0x0F, 0x03, 0x00, 0xC0, 0x79, 0x12, 0x45, 0x00, 0x02, 0x30};
    EXPECT_EQ(descriptor, sibuild::Concat({{0x58, 26}, france, brazil}));
    EXPECT_THROW(sibuild::LocalTimeOffsetDescriptor({{"FR", 0, 60, change, 60}}),
                 std::invalid_argument);
}
