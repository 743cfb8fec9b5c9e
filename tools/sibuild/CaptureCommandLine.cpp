#include "sibuild/CaptureCommandLine.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <tuple>

#include "sibuild/DvbTime.h"

namespace sibuild {

namespace {

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

std::optional<uint64_t> ParseByteSize(std::string_view text) {
    uint64_t factor = 1;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K':
            case 'k':
                factor = 1ull << 10;
                break;
            case 'M':
            case 'm':
                factor = 1ull << 20;
                break;
            case 'G':
            case 'g':
                factor = 1ull << 30;
                break;
            default:
                break;
        }
        if (factor != 1)
            text.remove_suffix(1);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    const auto value = ParseNumber<uint64_t>(text);
    if (!value || *value > UINT64_MAX / factor)
        return std::nullopt;
    return *value * factor;
}

std::optional<int64_t> ParseUtcTime(std::string_view text) {
    // Positions of the separators in YYYY-MM-DDTHH:MM:SSZ.
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    int fields[6];
    const size_t at[6] = {0, 5, 8, 11, 14, 17};
    const size_t width[6] = {4, 2, 2, 2, 2, 2};
    for (int i = 0; i < 6; ++i) {
        const std::string_view digits = text.substr(at[i], width[i]);
        for (char c : digits)
            if (c < '0' || c > '9')
                return std::nullopt;
        fields[i] = *ParseNumber<int>(digits);
    }
    const auto [year, month, day, hour, minute, second] =
        std::tuple{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    return UtcSeconds(year, month, day, hour, minute, second);
}

std::string FormatUtcTime(int64_t utcSeconds) {
    // Civil date from days since 1970-01-01 (Howard Hinnant's civil_from_days).
    const int64_t days = utcSeconds >= 0 ? utcSeconds / 86400 : (utcSeconds - 86399) / 86400;
    const int64_t secondOfDay = utcSeconds - days * 86400;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[160];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(secondOfDay / 3600),
                  static_cast<long long>(secondOfDay / 60 % 60),
                  static_cast<long long>(secondOfDay % 60));
    return text;
}

std::string CaptureUsage(std::string_view program) {
    std::string usage = "Usage: " + std::string(program) + " [options]\n";
    usage += R"(Writes a synthetic DVB-S transport stream capture: services in four character
tables, a bouquet, SDT, BAT, EIT present/following and schedule as a carousel with
version changes, TDT and TOT on the stream's clock, and filler packets on audio and
video PIDs.

  --services N          services in the line-up, 1 to 1000 (default 24)
  --days D              days of EIT schedule from the start, 1 to 60 (default 7);
                        services times days at most 4000
  --si-share PERCENT    share of the packets that carry SI; 100 = SI only (default 5)
  --size BYTES          size of the capture, suffix K, M or G for powers of 1024
                        (default 64M); rounded up to whole packets
  --duration SECONDS    stream time to cover instead of a size
  --seed N              seed of everything random: same seed, same bytes (default 1)
  --start TIME          UTC time of the first packet, YYYY-MM-DDTHH:MM:SSZ (default now)
  --packet-size SIZE    188, 192 (timestamped) or 204 (with parity) (default 188)
  --bitrate BITS        nominal bits per second the stream time advances with
                        (default 38000000)
  --out FILE            where to write, - for standard output (default capture.ts)
  --list                print the line-up (services, numbers, event counts)
  --help                print this text
)";
    return usage;
}

CaptureCommand ParseCaptureCommand(const std::vector<std::string>& args, int64_t now) {
    CaptureCommand command;
    command.options.start = now;
    std::optional<uint64_t> size;
    const auto fail = [](const std::string& message) { throw std::invalid_argument(message); };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            command.help = true;
            continue;
        }
        if (name == "--list") {
            command.list = true;
            continue;
        }
        if (name.rfind("--", 0) != 0)
            fail("unexpected argument " + name);
        if (!inlineValue && i + 1 == args.size())
            fail("option " + name + " needs a value");
        const std::string value = inlineValue ? *inlineValue : args[++i];
        const auto bad = [&] { fail("bad value for " + name + ": " + value); };
        const auto integer = [&](int& field) {
            const auto number = ParseNumber<int>(value);
            if (!number)
                bad();
            field = *number;
        };
        if (name == "--services") {
            integer(command.options.services);
        } else if (name == "--days") {
            integer(command.options.days);
        } else if (name == "--packet-size") {
            integer(command.options.packetSize);
        } else if (name == "--si-share") {
            const auto share = ParseNumber<double>(value);
            if (!share)
                bad();
            command.options.siSharePercent = *share;
        } else if (name == "--size") {
            size = ParseByteSize(value);
            if (!size)
                bad();
        } else if (name == "--duration") {
            const auto seconds = ParseNumber<double>(value);
            if (!seconds)
                bad();
            command.options.durationSeconds = *seconds;
        } else if (name == "--seed") {
            const auto seed = ParseNumber<uint64_t>(value);
            if (!seed)
                bad();
            command.options.seed = *seed;
        } else if (name == "--start") {
            const auto start = ParseUtcTime(value);
            if (!start)
                bad();
            command.options.start = *start;
        } else if (name == "--bitrate") {
            const auto bitrate = ParseNumber<uint64_t>(value);
            if (!bitrate)
                bad();
            command.options.bitrate = *bitrate;
        } else if (name == "--out") {
            if (value.empty())
                bad();
            command.outPath = value;
        } else {
            fail("unknown option " + name);
        }
    }
    if (size && command.options.durationSeconds)
        fail("give --size or --duration, not both");
    if (size)
        command.options.sizeBytes = *size;
    if (!command.help)
        command.options.Validate();
    return command;
}

}  // namespace sibuild
