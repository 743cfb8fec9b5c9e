#include "platform/Platform.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "platform/dshow/TransportInformationFilter.h"
#include "platform/sources/CaptureTime.h"
#include "platform/sources/DvbDevices.h"
#include "platform/sources/DvbFrontendTree.h"
#include "platform/sources/DvbV5DeviceApi.h"
#include "platform/sources/EndOfCaptureSignal.h"
#include "platform/sources/SourceDevices.h"
#include "platform/system/PrivateProfile.h"
#include "si/SectionParser.h"

namespace {

struct PlatformState {
    ClockSetting clock;
    std::shared_ptr<CaptureTime> captureTime = std::make_shared<CaptureTime>();
    std::shared_ptr<EndOfCaptureSignal> endOfCapture = std::make_shared<EndOfCaptureSignal>();
    std::vector<DeviceRegistration> devices;
    ClassRegistration demultiplexer;
    DeviceRegistration transportInformation;
};

std::unique_ptr<PlatformState>& State() {
    static std::unique_ptr<PlatformState> state;
    return state;
}

std::string CaptureValue(const char* key, const std::string& configPath) {
    return GetPrivateProfileValue("Capture", key, configPath).value_or("");
}

std::string ResolveFromFolderOf(const std::string& configPath, const std::string& file) {
    if (file.starts_with('/'))
        return file;
    const size_t slash = configPath.rfind('/');
    if (slash == std::string::npos)
        return file;
    return configPath.substr(0, slash + 1) + file;
}

}  // namespace

std::optional<CaptureSettings> ReadCaptureSettings(const std::string& configPath) {
    CaptureSettings settings;
    const std::string file = CaptureValue("File", configPath);
    if (!file.empty())
        settings.file = ResolveFromFolderOf(configPath, file);

    std::string reason;
    if (const std::string url = CaptureValue("Url", configPath); !url.empty()) {
        settings.url = ParseStreamUrl(url, reason);
        if (!settings.url) {
            std::printf("Invalid Url \"%s\" in [Capture]: %s\n", url.c_str(), reason.c_str());
            return std::nullopt;
        }
    }
    if (const std::string clock = CaptureValue("Clock", configPath); !clock.empty()) {
        std::optional<ClockSetting> setting = ParseClockSetting(clock, reason);
        if (!setting) {
            std::printf("Invalid Clock \"%s\" in [Capture]: %s\n", clock.c_str(), reason.c_str());
            return std::nullopt;
        }
        settings.clock = *setting;
    }
    return settings;
}

bool StartPlatform(const std::string& configPath) {
    StopPlatform();
    std::optional<CaptureSettings> settings = ReadCaptureSettings(configPath);
    if (!settings)
        return false;
    auto state = std::make_unique<PlatformState>();
    state->clock = settings->clock;
    state->demultiplexer = RegisterDemultiplexerClass();
    state->transportInformation = RegisterTransportInformationFilter();

    if (!settings->file.empty()) {
        // Only a stream clock needs the capture's time tables followed.
        std::shared_ptr<CaptureTime> streamTime;
        if (settings->clock.mode == ClockSetting::Mode::Stream)
            streamTime = state->captureTime;
        state->devices.push_back(DeviceRegistry::Register(
            KSCATEGORY_BDA_NETWORK_TUNER,
            CaptureFileDevice(settings->file, streamTime, state->endOfCapture)));
    }
    if (settings->url) {
        state->devices.push_back(DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER,
                                                          StreamUrlDevice(*settings->url)));
    }
    // The adapters come last, so that a configured capture keeps its place whatever the
    // machine has.
    for (DeviceDescription& frontend : DvbFrontendDevices(DvbDeviceRoot(), MakeDvbV5DeviceApi()))
        state->devices.push_back(
            DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER, std::move(frontend)));
    State() = std::move(state);
    return true;
}

void StopPlatform() {
    std::unique_ptr<PlatformState> state = std::move(State());
    if (!state)
        return;
    // Devices go in the reverse order of their registration.
    while (!state->devices.empty())
        state->devices.pop_back();
}

std::function<int64_t()> PlatformClock() {
    const PlatformState* state = State().get();
    if (state == nullptr)
        return SystemUtcNow;
    switch (state->clock.mode) {
        case ClockSetting::Mode::Fixed:
            return [time = state->clock.fixedTime] { return time; };
        case ClockSetting::Mode::System:
            return SystemUtcNow;
        case ClockSetting::Mode::Stream:
            break;
    }
    return [captureTime = std::shared_ptr<const CaptureTime>(state->captureTime)] {
        const std::optional<int64_t> streamTime = captureTime->Get();
        return streamTime ? *streamTime : SystemUtcNow();
    };
}

void SetEndOfCaptureHandler(std::function<void()> handler) {
    if (PlatformState* state = State().get())
        state->endOfCapture->SetHandler(std::move(handler));
}
