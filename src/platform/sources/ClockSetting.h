#pragma once
// The [Capture] Clock setting: which clock the programme time window reads.
//   stream                 the time a replayed capture tells (its TDT/TOT), see CaptureTime
//   system                 the system clock
//   YYYY-MM-DDTHH:MM:SSZ   that UTC time, fixed

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ClockSetting {
    enum class Mode { Stream, System, Fixed };
    Mode mode = Mode::Stream;
    int64_t fixedTime = 0;  // UTC seconds since 1970-01-01, for Fixed
};

// Exactly one of the three forms, letter case included (a date must exist, the time lie within
// 00:00:00 and 23:59:59). Otherwise nothing, and `reason` says what is wrong.
std::optional<ClockSetting> ParseClockSetting(std::string_view text, std::string& reason);
