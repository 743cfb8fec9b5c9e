#include "platform/ts/StreamClock.h"

#include "si/ByteReader.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Days since 1970-01-01 of a proleptic Gregorian date. Months outside 1 to 12 and any day count
// carry over, so that the Annex C formula's results below its range (before March 1900) still
// give a time instead of stopping the reading.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year += FloorDiv(month - 1, 12);
    month = month - 1 - 12 * FloorDiv(month - 1, 12) + 1;
    year -= month <= 2;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

int BcdValue(uint8_t byte) {
    return 10 * (byte >> 4) + (byte & 0x0F);
}

}  // namespace

int64_t ConvertDvbTime(uint16_t mjd, uint8_t bcdHours, uint8_t bcdMinutes, uint8_t bcdSeconds) {
    // EN 300 468 Annex C, in double precision, each int() truncating toward zero.
    const double m = mjd;
    const int yearsSince1900 = static_cast<int>((m - 15078.2) / 365.25);
    const int yearDays = static_cast<int>(yearsSince1900 * 365.25);
    const int monthIndex = static_cast<int>((m - 14956.1 - yearDays) / 30.6001);
    const int day = mjd - 14956 - yearDays - static_cast<int>(monthIndex * 30.6001);
    const int k = (monthIndex == 14 || monthIndex == 15) ? 1 : 0;
    const int year = 1900 + yearsSince1900 + k;
    const int month = monthIndex - 1 - 12 * k;
    return DaysFromCivil(year, month, day) * kSecondsPerDay + 3600 * BcdValue(bcdHours) +
           60 * BcdValue(bcdMinutes) + BcdValue(bcdSeconds);
}

std::optional<int64_t> ParseTimeSection(const uint8_t* section, size_t length) {
    ByteReader reader(section, length);
    const uint8_t tableId = reader.U8();
    if (tableId != kTimeDateTableId && tableId != kTimeOffsetTableId)
        return std::nullopt;
    if (reader.Length12() < 5)
        return std::nullopt;
    const uint16_t mjd = reader.U16();
    const uint8_t hours = reader.U8();
    const uint8_t minutes = reader.U8();
    const uint8_t seconds = reader.U8();
    if (!reader.Ok())
        return std::nullopt;
    return ConvertDvbTime(mjd, hours, minutes, seconds);
}
