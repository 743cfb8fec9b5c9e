#include "platform/ts/StreamClock.h"

#include <gtest/gtest.h>

#include "sibuild/DvbTime.h"
#include "sibuild/SectionBuilder.h"

using sibuild::Bytes;

namespace {

// A TDT: table_id, a short-syntax section_length of 5, UTC_time.
Bytes Tdt(const Bytes& utcTime) {
    sibuild::ByteWriter w;
    w.U8(0x70).U8(0x70).U8(0x05).Append(utcTime);
    return w.Take();
}

std::optional<int64_t> Parse(const Bytes& section) {
    return ParseTimeSection(section.data(), section.size());
}

TEST(StreamClock, ReadsTheTimeOfTdtAndTot) {
    const int64_t when = sibuild::UtcSeconds(1993, 10, 13, 12, 45, 0);
    EXPECT_EQ(Parse(Tdt({0xC0, 0x79, 0x12, 0x45, 0x00})), when);

    // A TOT with a local time offset descriptor and a wrong CRC: the CRC is not checked.
    sibuild::ByteWriter tot;
    tot.U8(0x73).U16(0).Append(sibuild::EncodeUtcTime(when + 59));
    tot.Append(sibuild::LengthPrefixed12(sibuild::Descriptor(0x58, Bytes(13, 0x11))));
    tot.U32(0xDEADBEEF);
    Bytes section = tot.Take();
    section[1] = static_cast<uint8_t>(0xB0 | (section.size() - 3) >> 8);
    section[2] = static_cast<uint8_t>((section.size() - 3) & 0xFF);
    EXPECT_EQ(Parse(section), when + 59);
}

TEST(StreamClock, IgnoresOtherTablesAndSectionsWithoutTheTime) {
    const Bytes time{0xC0, 0x79, 0x12, 0x45, 0x00};
    Bytes otherTable = Tdt(time);
    otherTable[0] = 0x72;
    Bytes tooShort = Tdt(time);
    tooShort[2] = 4;  // section_length below 5 says UTC_time is not all there
    Bytes cutOff = Tdt(time);
    cutOff.pop_back();  // claims 5 bytes, holds 4
    EXPECT_EQ(Parse(otherTable), std::nullopt);
    EXPECT_EQ(Parse(tooShort), std::nullopt);
    EXPECT_EQ(Parse(cutOff), std::nullopt);
    EXPECT_EQ(Parse({}), std::nullopt);
}

TEST(StreamClock, ReadsBcdAsEitStartTimesAre) {
    // Nibbles above 9 are taken as they stand and carry: the all-ones time.
    EXPECT_EQ(ConvertDvbTime(0xFFFF, 0xFF, 0xFF, 0xFF),
              sibuild::UtcSeconds(2038, 4, 28, 23, 47, 45));
    EXPECT_EQ(ConvertDvbTime(49273, 0x25, 0x00, 0x00), sibuild::UtcSeconds(1993, 10, 14, 1, 0, 0));
    EXPECT_EQ(ConvertDvbTime(40587, 0x00, 0x00, 0x00), 0);
}

TEST(StreamClock, AnnexCDateAgreesWithTheDayCountOverItsRange) {
    // From 1 March 1900 (MJD 15079) the conversion gives the calendar date, i.e. MJD 40587 is
    // 1970-01-01 and every further MJD one day more.
    for (int mjd = 15079; mjd <= 0xFFFF; ++mjd) {
        ASSERT_EQ(ConvertDvbTime(static_cast<uint16_t>(mjd), 0, 0, 0), (mjd - 40587) * 86400LL)
            << "MJD " << mjd;
    }
    // Below its range the formula goes astray, but still gives a time near the day count.
    for (int mjd = 0; mjd < 15079; ++mjd) {
        const int64_t days = (ConvertDvbTime(static_cast<uint16_t>(mjd), 0, 0, 0)) / 86400;
        ASSERT_LE(std::abs(days - (mjd - 40587)), 366) << "MJD " << mjd;
    }
}

}  // namespace
