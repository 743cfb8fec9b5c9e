#include "platform/ts/StreamClock.h"

#include <gtest/gtest.h>

#include "sibuild/DvbTime.h"
#include "sibuild/SectionBuilder.h"
#include "sibuild/TimeTableBuilder.h"

using sibuild::Bytes;

namespace {

std::optional<int64_t> Parse(const Bytes& section) {
    return ParseTimeSection(section.data(), section.size());
}

TEST(StreamClock, ReadsTheTimeOfTdtAndTot) {
    const int64_t when = sibuild::UtcSeconds(1993, 10, 13, 12, 45, 0);
    EXPECT_EQ(Parse(sibuild::TdtSection(when)), when);
    // A TOT with a local time offset descriptor and a wrong CRC: the CRC is not checked.
    Bytes tot = sibuild::TotSection(when + 59, sibuild::Descriptor(0x58, Bytes(13, 0x11)));
    tot.back() ^= 0xFF;
    EXPECT_EQ(Parse(tot), when + 59);
}

TEST(StreamClock, ReadsTheTimeAsEitStartTimesAre) {
    // BCD nibbles above 9 are taken as they stand and carry over: the all-ones time.
    const Bytes allOnes{0x70, 0x70, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Parse(allOnes), sibuild::UtcSeconds(2038, 4, 28, 23, 47, 45));
    const Bytes hour25{0x70, 0x70, 0x05, 0xC0, 0x79, 0x25, 0x00, 0x00};
    EXPECT_EQ(Parse(hour25), sibuild::UtcSeconds(1993, 10, 14, 1, 0, 0));
}

TEST(StreamClock, IgnoresOtherTablesAndSectionsWithoutTheTime) {
    const Bytes tdt = sibuild::TdtSection(sibuild::UtcSeconds(2020, 1, 1));
    Bytes otherTable = tdt;
    otherTable[0] = 0x72;
    Bytes tooShort = tdt;
    tooShort[2] = 4;  // section_length below 5: UTC_time is not all there
    const Bytes cutOff(tdt.begin(), tdt.end() - 1);  // claims 5 bytes, holds 4
    EXPECT_EQ(Parse(otherTable), std::nullopt);
    EXPECT_EQ(Parse(tooShort), std::nullopt);
    EXPECT_EQ(Parse(cutOff), std::nullopt);
    EXPECT_EQ(Parse({}), std::nullopt);
}

}  // namespace
