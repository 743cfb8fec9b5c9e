#include "sibuild/CaptureCommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int64_t kNow = 1768500000;  // 2026-01-15T18:00:00Z

TEST(CaptureCommandLine, ByteSizes) {
    const std::pair<const char*, std::optional<uint64_t>> cases[] = {
        {"0", 0},
        {"1000", 1000},
        {"64K", 64 << 10},
        {"3m", 3 << 20},
        {"1G", 1ull << 30},
        {"18446744073709551615", UINT64_MAX},
        {"17179869184G", std::nullopt},  // 2^64 bytes
        {"", std::nullopt},
        {"K", std::nullopt},
        {"12X", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"1.5M", std::nullopt},
        {"1 M", std::nullopt},
    };
    for (const auto& [text, size] : cases)
        EXPECT_EQ(sibuild::ParseByteSize(text), size) << text;
}

TEST(CaptureCommandLine, UtcTimes) {
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"2026-01-15T18:00:00Z", kNow},         {"1970-01-01T00:00:00Z", 0},
        {"2024-02-29T23:59:59Z", 1709251199},   {"2023-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01T00:00:00Z", std::nullopt}, {"2026-01-15T24:00:00Z", std::nullopt},
        {"2026-01-15T18:60:00Z", std::nullopt}, {"2026-01-15 18:00:00Z", std::nullopt},
        {"2026-01-15T18:00:00", std::nullopt},  {"2026-1-15T18:00:00Z", std::nullopt},
        {"2026-01-15T18:00:0xZ", std::nullopt}, {"+026-01-15T18:00:00Z", std::nullopt},
    };
    for (const auto& [text, time] : cases)
        EXPECT_EQ(sibuild::ParseUtcTime(text), time) << text;
    for (const char* text :
         {"2026-01-15T18:00:00Z", "2024-02-29T23:59:59Z", "2000-03-01T00:00:01Z"})
        EXPECT_EQ(sibuild::FormatUtcTime(*sibuild::ParseUtcTime(text)), text);
}

TEST(CaptureCommandLine, OptionsInBothForms) {
    const sibuild::CaptureCommand command = sibuild::ParseCaptureCommand(
        {"--services", "12", "--days=2", "--si-share", "30", "--size", "3M", "--seed", "5",
         "--start", "2026-01-16T06:30:00Z", "--packet-size=204", "--bitrate", "20000000", "--out",
         "demo.ts", "--list"},
        kNow);
    const sibuild::CaptureOptions& o = command.options;
    EXPECT_EQ(o.services, 12);
    EXPECT_EQ(o.days, 2);
    EXPECT_EQ(o.siSharePercent, 30.0);
    EXPECT_EQ(o.sizeBytes, 3u << 20);
    EXPECT_FALSE(o.durationSeconds);
    EXPECT_EQ(o.seed, 5u);
    EXPECT_EQ(o.start, kNow + 12 * 3600 + 1800);
    EXPECT_EQ(o.packetSize, 204);
    EXPECT_EQ(o.bitrate, 20'000'000u);
    EXPECT_EQ(command.outPath, "demo.ts");
    EXPECT_TRUE(command.list);
    EXPECT_FALSE(command.help);

    const sibuild::CaptureCommand defaults =
        sibuild::ParseCaptureCommand({"--duration", "2.5"}, kNow);
    EXPECT_EQ(defaults.options.start, kNow);
    EXPECT_EQ(defaults.options.durationSeconds, 2.5);
    EXPECT_EQ(defaults.outPath, "capture.ts");
    // Help is asked for even beside values out of range.
    EXPECT_TRUE(sibuild::ParseCaptureCommand({"--services", "0", "--help"}, kNow).help);
}

TEST(CaptureCommandLine, RejectsWhatItCannotUse) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", "1"},
        {"--services"},
        {"--services", "twelve"},
        {"--services", "0"},
        {"--days", "61"},
        {"--si-share", "0"},
        {"--si-share", "100.5"},
        {"--packet-size", "190"},
        {"--size", "1M", "--duration", "2"},
        {"--size", "0"},
        {"--start", "yesterday"},
        {"--start", "2038-04-20T00:00:00Z"},
        {"--out", ""},
        {"output.ts"},
    };
    for (const auto& args : cases)
        EXPECT_THROW(sibuild::ParseCaptureCommand(args, kNow), std::invalid_argument) << args[0];
}

}  // namespace
