#pragma once
// The command line of the capture generator tool.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sibuild/CaptureLineup.h"

namespace sibuild {

struct CaptureCommand {
    CaptureOptions options;
    std::string outPath = "capture.ts";  // "-" for standard output
    bool list = false;                   // print the line-up
    bool help = false;
};

// The arguments after the program name; `now` (UTC seconds) is the start when --start is not
// given. Throws std::invalid_argument with a message for the user.
CaptureCommand ParseCaptureCommand(const std::vector<std::string>& args, int64_t now);
std::string CaptureUsage(std::string_view program);

// Decimal digits with an optional suffix K, M or G (powers of 1024, either case).
std::optional<uint64_t> ParseByteSize(std::string_view text);
// YYYY-MM-DDTHH:MM:SSZ as UTC seconds.
std::optional<int64_t> ParseUtcTime(std::string_view text);
// UTC seconds as YYYY-MM-DDTHH:MM:SSZ.
std::string FormatUtcTime(int64_t utcSeconds);

}  // namespace sibuild
