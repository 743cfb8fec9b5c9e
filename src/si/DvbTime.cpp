#include "si/DvbTime.h"

#include <charconv>

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Proleptic Gregorian date of a day count since 1970-01-01 (Howard Hinnant's
// civil_from_days), valid for every day count a 64-bit time can give.
CivilDate CivilFromDays(int64_t days) {
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = doy - (153 * mp + 2) / 5 + 1;
    date.month = mp < 10 ? mp + 3 : mp - 9;
    date.year = yoe + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

char* TwoDigits(char* p, int64_t value) {
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
}

}  // namespace

CivilDate DateFromMjd(uint16_t mjd) {
    const double m = mjd;
    const int64_t yPrime = static_cast<int64_t>((m - 15078.2) / 365.25);
    const int64_t yearDays = static_cast<int64_t>(static_cast<double>(yPrime) * 365.25);
    const int64_t mPrime =
        static_cast<int64_t>((m - 14956.1 - static_cast<double>(yearDays)) / 30.6001);
    const int64_t monthDays = static_cast<int64_t>(static_cast<double>(mPrime) * 30.6001);
    const int64_t k = (mPrime == 14 || mPrime == 15) ? 1 : 0;
    CivilDate date;
    date.day = mjd - 14956 - yearDays - monthDays;
    date.year = 1900 + yPrime + k;
    date.month = mPrime - 1 - 12 * k;
    return date;
}

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    // Carry a month outside 1 to 12 into the year, then count from the first of the month.
    year += FloorDiv(month - 1, 12);
    const int64_t m = month - 1 - FloorDiv(month - 1, 12) * 12 + 1;
    const int64_t y = year - (m <= 2 ? 1 : 0);
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (day - 1);
}

int64_t UtcSecondsFromDvbTime(const uint8_t* fiveBytes) {
    const uint16_t mjd = static_cast<uint16_t>(fiveBytes[0] << 8 | fiveBytes[1]);
    const CivilDate date = DateFromMjd(mjd);
    return DaysFromCivil(date.year, date.month, date.day) * 86400 +
           SecondsFromDvbDuration(fiveBytes + 2);
}

int64_t SecondsFromDvbDuration(const uint8_t* threeBytes) {
    return int64_t{3600} * BcdValue(threeBytes[0]) + 60 * BcdValue(threeBytes[1]) +
           BcdValue(threeBytes[2]);
}

int FormatXmltvTime(int64_t utcSeconds, XmltvTimeText& text) {
    // Remainder first: days * 86400 could overflow for the most negative times.
    int64_t secondOfDay = utcSeconds % 86400;
    if (secondOfDay < 0)
        secondOfDay += 86400;
    const int64_t days = FloorDiv(utcSeconds, 86400);
    const CivilDate date = CivilFromDays(days);
    char* p = text.data();
    if (date.year >= 0 && date.year <= 9999) {
        p = TwoDigits(TwoDigits(p, date.year / 100), date.year % 100);
    } else {
        // At most a sign and twelve digits: 2^63 seconds are under 3 x 10^11 years.
        p = std::to_chars(p, p + 13, date.year).ptr;
    }
    p = TwoDigits(p, date.month);
    p = TwoDigits(p, date.day);
    p = TwoDigits(p, secondOfDay / 3600);
    p = TwoDigits(p, secondOfDay / 60 % 60);
    p = TwoDigits(p, secondOfDay % 60);
    *p = '\0';
    return static_cast<int>(p - text.data());
}
