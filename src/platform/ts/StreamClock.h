#pragma once
// The time a stream tells: the UTC_time of its Time and Date (0x70) and Time Offset (0x73)
// sections on PID 0x0014. Pure reading; which clock a run uses is decided elsewhere.

#include <cstddef>
#include <cstdint>
#include <optional>

constexpr uint16_t kTimePid = 0x0014;
constexpr uint8_t kTimeDateTableId = 0x70;
constexpr uint8_t kTimeOffsetTableId = 0x73;

// UTC seconds since 1970-01-01 of a complete TDT or TOT section, its UTC_time read as EIT start
// times are; none for another table or a section too short to hold UTC_time (section_length
// below 5). The TOT's CRC is not checked.
std::optional<int64_t> ParseTimeSection(const uint8_t* section, size_t length);
