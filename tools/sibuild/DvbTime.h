#pragma once
// DVB time fields as sections carry them: Modified Julian Date and BCD hours, minutes,
// seconds (EN 300 468 Annex C).

#include <cstdint>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

// UTC seconds since 1970-01-01 as the 40-bit start_time/UTC_time field: MJD (16 bits) and
// hh mm ss in BCD.
Bytes EncodeUtcTime(int64_t utcSeconds);
// A duration of at most 99:59:59 as three BCD bytes.
Bytes EncodeDuration(int32_t seconds);
uint8_t Bcd(int value);

// Seconds since 1970-01-01 of a UTC civil date and time (proleptic Gregorian).
int64_t UtcSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace sibuild
