#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "si/DvbTime.h"
#include "sibuild/DvbTime.h"

namespace {

std::string Format(int64_t seconds) {
    XmltvTimeText text;
    const int length = FormatXmltvTime(seconds, text);
    EXPECT_LT(length, static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<size_t>(length));
}

std::string FormatDvbTime(std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> field(bytes);
    return Format(UtcSecondsFromDvbTime(field.data()));
}

}  // namespace

TEST(DvbTimeDecoding, MjdConversionMatchesTheDayCountFrom1900March) {
    // Annex C is exact from 1900-03-01 on: every MJD from there to the field's end must land
    // on a valid date whose day count is the MJD's.
    for (int mjd = 15079; mjd <= 65535; ++mjd) {
        const CivilDate date = DateFromMjd(static_cast<uint16_t>(mjd));
        ASSERT_GE(date.month, 1) << mjd;
        ASSERT_LE(date.month, 12) << mjd;
        ASSERT_GE(date.day, 1) << mjd;
        ASSERT_LE(date.day, 31) << mjd;
        ASSERT_EQ(DaysFromCivil(date.year, date.month, date.day), mjd - 40587) << mjd;
    }
    const CivilDate example = DateFromMjd(49273);
    EXPECT_EQ(example.year, 1993);
    EXPECT_EQ(example.month, 10);
    EXPECT_EQ(example.day, 13);
}

TEST(DvbTimeDecoding, MjdBefore1900StaysNearItsDayAndBefore1970) {
    // Below 15079 the formula yields months outside 1 to 12; they carry into the years, and
    // the result stays a few days from the true date, long before any time window.
    for (int mjd = 0; mjd < 15079; ++mjd) {
        const CivilDate date = DateFromMjd(static_cast<uint16_t>(mjd));
        const int64_t days = DaysFromCivil(date.year, date.month, date.day);
        ASSERT_LE(std::llabs(days - (mjd - 40587)), 3) << mjd;
    }
}

TEST(DvbTimeDecoding, StartTimesAndDurations) {
    struct Case {
        std::initializer_list<uint8_t> field;
        const char* expected;
    };
    const Case cases[] = {
        {{0xC0, 0x79, 0x12, 0x45, 0x00}, "19931013124500"},  // the Annex C example
        {{0x9E, 0x8B, 0x00, 0x00, 0x00}, "19700101000000"},  // MJD 40587
        {{0x9E, 0x8B, 0x25, 0x00, 0x00}, "19700102010000"},  // 25 hours carry into the next day
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "20380428234745"},  // 165 h 165 min 165 s
        {{0x00, 0x00, 0x00, 0x00, 0x00}, "18581119000000"},  // MJD 0: month -1 carried, 2 days off
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDvbTime(c.field), c.expected);

    EXPECT_EQ(BcdValue(0xFF), 165);
    EXPECT_EQ(BcdValue(0x25), 25);
    const uint8_t duration[] = {0x01, 0x45, 0x30};
    EXPECT_EQ(SecondsFromDvbDuration(duration), 3600 + 45 * 60 + 30);
}

TEST(DvbTimeDecoding, FormatsAnySecondCountWithoutOverflow) {
    struct Case {
        int64_t seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, "19700101000000"},
        {-1, "19691231235959"},
        {sibuild::UtcSeconds(2024, 2, 29, 23, 59, 59), "20240229235959"},
        {sibuild::UtcSeconds(2000, 3, 1), "20000301000000"},
        {sibuild::UtcSeconds(9999, 12, 31, 23, 59, 59), "99991231235959"},
        {sibuild::UtcSeconds(10000, 1, 1), "100000101000000"},
        {sibuild::UtcSeconds(0, 1, 1), "00000101000000"},
        {sibuild::UtcSeconds(-1, 12, 31, 23, 59, 59), "-11231235959"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.seconds), c.expected) << c.seconds;

    // The extremes must fit the buffer with room to spare.
    EXPECT_EQ(Format(std::numeric_limits<int64_t>::max()), "2922770265961204153007");
    EXPECT_EQ(Format(std::numeric_limits<int64_t>::min()), "-2922770226570127082952");
}

TEST(DvbTimeDecoding, IgnoresTheLocalTimeZone) {
    const char* previous = std::getenv("TZ");
    const std::optional<std::string> saved =
        previous ? std::optional<std::string>(previous) : std::nullopt;
    const int64_t seconds = sibuild::UtcSeconds(2019, 3, 31, 1, 30, 0);  // a DST change in Europe
    const std::string utc = Format(seconds);
    const uint8_t field[] = {0xC0, 0x79, 0x12, 0x45, 0x00};
    const int64_t decodedUtc = UtcSecondsFromDvbTime(field);

    for (const char* zone : {"NZST-12:45NZDT,M9.5.0,M4.1.0/3", "XYZ+13:37", "Europe/Berlin"}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(Format(seconds), utc) << zone;
        EXPECT_EQ(UtcSecondsFromDvbTime(field), decodedUtc) << zone;
    }
    if (saved) {
        setenv("TZ", saved->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_EQ(utc, "20190331013000");
}
