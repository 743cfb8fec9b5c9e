#pragma once
// The platform's start-up and shutdown, called by the run control: reads the [Capture] section
// of the configuration, registers the platform's classes and tuner devices, and offers the
// run's clock and the end-of-capture signal.
//
// Tuner devices in the order TunerOrdinal counts them: the capture File, then the Url source,
// then every Linux DVB frontend under DvbDeviceRoot() (/dev/dvb, or $EPGHARVEST_DVB_ROOT).
//
//     if (!StartPlatform(configPath)) exit(-1);        // the reason is on stdout
//     parser.now = PlatformClock();
//     SetEndOfCaptureHandler([&] { /* end the run as the idle check does */ });
//     ... run ...
//     StopPlatform();

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/sources/ClockSetting.h"
#include "platform/sources/StreamUrl.h"

struct CaptureSettings {
    std::string file;  // as it is opened (relative Files resolved); empty: none
    std::optional<StreamUrl> url;
    ClockSetting clock;
};

// [Capture] File, Url and Clock; an empty value counts as absent. A relative File is taken from
// the configuration file's folder. An invalid Url or Clock prints one line naming the value and
// the reason, and gives nothing.
std::optional<CaptureSettings> ReadCaptureSettings(const std::string& configPath);

// Reads the settings and registers everything. False (after the line) when a setting is
// invalid; nothing is registered then. A second start-up replaces the first.
bool StartPlatform(const std::string& configPath);
// Unregisters everything StartPlatform registered; the clock and signal handed out stay valid.
void StopPlatform();

// "Now" for SectionParser::now: the capture's stream time (system clock while it has none),
// the system clock, or the fixed time, as Clock says. The system clock before start-up.
std::function<int64_t()> PlatformClock();
// The handler runs once, on the capture's streaming thread, after the last sections of the
// capture have been delivered; at once when that has already happened. Set it after
// StartPlatform: before it there is no signal, and the handler is ignored.
void SetEndOfCaptureHandler(std::function<void()> handler);
