#pragma once
// DVB time fields as EIT events carry them, turned into UTC seconds and back into the
// fourteen digits of an XMLTV time. Nothing here looks at the local time zone.

#include <array>
#include <cstdint>

// A calendar date as the Modified Julian Date conversion yields it. For dates before
// 1900-03-01 the conversion can give a month outside 1 to 12; DaysFromCivil copes with that.
struct CivilDate {
    int64_t year = 1970;
    int64_t month = 1;
    int64_t day = 1;
};

// Modified Julian Date to year, month, day by the conversion of EN 300 468 Annex C, in
// double precision with every int() truncating toward zero, exactly as broadcasters apply it.
CivilDate DateFromMjd(uint16_t mjd);

// Days since 1970-01-01 of a proleptic Gregorian date. Months outside 1 to 12 carry into
// the years and days outside a month's range carry into the following or previous days, so
// any field values give a defined result.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);

// One BCD byte read as 10 x high nibble + low nibble; nibbles above 9 are taken as they are
// (0xFF reads as 165).
inline int32_t BcdValue(uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

// The 40-bit start_time field (MJD, then hours, minutes, seconds in BCD) as UTC seconds.
// Hours, minutes and seconds beyond their usual ranges carry over.
int64_t UtcSecondsFromDvbTime(const uint8_t* fiveBytes);
// The 24-bit duration field (hours, minutes, seconds in BCD) in seconds.
int64_t SecondsFromDvbDuration(const uint8_t* threeBytes);

// Room for "%Y%m%d%H%M%S" of any 64-bit time: a year of up to 12 digits and a sign, then
// ten digits, then the terminating zero.
using XmltvTimeText = std::array<char, 32>;

// UTC seconds as "%Y%m%d%H%M%S" (the year with at least four digits); returns the text's
// length. Years outside 0 to 9999 widen the text rather than overflow the buffer.
int FormatXmltvTime(int64_t utcSeconds, XmltvTimeText& text);
