// The configuration reader: any bytes as the configuration file, every key the program reads
// looked up in it, and the [Capture] values parsed as the platform parses them. Nothing may
// crash, and a value found must be text of the file (trimmed, never made up).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/sources/ClockSetting.h"
#include "platform/sources/StreamUrl.h"
#include "platform/system/PrivateProfile.h"

namespace {

constexpr const char* kTunerKeys[] = {
    "Timeout",    "ChannelBase", "TunerOrdinal", "Transponder", "SignalPolarisation",
    "SymbolRate", "DVBS2",       "BAT"};

std::optional<std::string> Lookup(const std::string& text, const std::string& section,
                                  const std::string& key) {
    std::istringstream in(text);
    std::optional<std::string> value = FindProfileValue(in, section, key);
    if (value && text.find(*value) == std::string::npos) {
        std::fprintf(stderr, "ini: value of %s/%s is not in the file\n", section.c_str(),
                     key.c_str());
        __builtin_trap();
    }
    if (value && !value->empty() &&
        (std::string_view(" \t\r\n\f\v").find(value->front()) != std::string_view::npos ||
         std::string_view(" \t\r\n\f\v").find(value->back()) != std::string_view::npos)) {
        std::fprintf(stderr, "ini: value of %s/%s is not trimmed\n", section.c_str(), key.c_str());
        __builtin_trap();
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16))
        return -1;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* key : kTunerKeys)
        (void)ProfileValueAsInt(Lookup(text, "Tuner", key), 0);
    std::string reason;
    if (std::optional<std::string> clock = Lookup(text, "Capture", "Clock"))
        (void)ParseClockSetting(*clock, reason);
    if (std::optional<std::string> url = Lookup(text, "Capture", "Url"))
        (void)ParseStreamUrl(*url, reason);
    (void)Lookup(text, "Capture", "File");
    return 0;
}
