#include "platform/sources/ClockSetting.h"

#include "si/DvbTime.h"

namespace {

// The decimal number at text[at, at + count), or -1 when a character there is not a digit.
int Digits(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<ClockSetting> ParseClockSetting(std::string_view text, std::string& reason) {
    if (text == "stream")
        return ClockSetting{ClockSetting::Mode::Stream, 0};
    if (text == "system")
        return ClockSetting{ClockSetting::Mode::System, 0};

    constexpr std::string_view kForm = "YYYY-MM-DDTHH:MM:SSZ";
    const bool shaped = text.size() == kForm.size() && text[4] == '-' && text[7] == '-' &&
                        text[10] == 'T' && text[13] == ':' && text[16] == ':' && text[19] == 'Z';
    const int year = shaped ? Digits(text, 0, 4) : -1;
    const int month = shaped ? Digits(text, 5, 2) : -1;
    const int day = shaped ? Digits(text, 8, 2) : -1;
    const int hour = shaped ? Digits(text, 11, 2) : -1;
    const int minute = shaped ? Digits(text, 14, 2) : -1;
    const int second = shaped ? Digits(text, 17, 2) : -1;
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) {
        reason = "expected stream, system or a UTC time as YYYY-MM-DDTHH:MM:SSZ";
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        reason = "no such date";
        return std::nullopt;
    }
    if (hour > 23 || minute > 59 || second > 59) {
        reason = "no such time of day";
        return std::nullopt;
    }
    const int64_t days = DaysFromCivil(year, month, day);
    return ClockSetting{ClockSetting::Mode::Fixed,
                        days * 86400 + hour * 3600 + minute * 60 + second};
}
