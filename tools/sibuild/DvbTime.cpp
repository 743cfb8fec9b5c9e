#include "sibuild/DvbTime.h"

#include <stdexcept>

namespace sibuild {

namespace {
// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
}  // namespace

uint8_t Bcd(int value) {
    if (value < 0 || value > 99) throw std::out_of_range("BCD value out of range");
    return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

Bytes EncodeUtcTime(int64_t utcSeconds) {
    const int64_t days = FloorDiv(utcSeconds, 86400);
    const int64_t secondOfDay = utcSeconds - days * 86400;
    const int64_t mjd = days + 40587;  // MJD of 1970-01-01
    if (mjd < 0 || mjd > 0xFFFF) throw std::out_of_range("date outside the MJD range");
    ByteWriter w;
    w.U16(static_cast<uint16_t>(mjd));
    w.U8(Bcd(static_cast<int>(secondOfDay / 3600)));
    w.U8(Bcd(static_cast<int>(secondOfDay / 60 % 60)));
    w.U8(Bcd(static_cast<int>(secondOfDay % 60)));
    return w.Take();
}

Bytes EncodeDuration(int32_t seconds) {
    if (seconds < 0 || seconds > 99 * 3600 + 59 * 60 + 59) throw std::out_of_range("duration");
    return {Bcd(seconds / 3600), Bcd(seconds / 60 % 60), Bcd(seconds % 60)};
}

}  // namespace sibuild
