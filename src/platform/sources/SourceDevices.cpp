#include "platform/sources/SourceDevices.h"

#include "platform/bda/TunerDeviceFilter.h"
#include "platform/sources/CaptureFileSource.h"
#include "platform/sources/UdpSource.h"

DeviceDescription CaptureFileDevice(const std::string& path, std::shared_ptr<CaptureTime> clock,
                                    std::shared_ptr<EndOfCaptureSignal> endOfCapture) {
    DeviceDescription device;
    device.friendlyName = WideFromUtf8("Capture file " + path);
    device.createFilter = TunerDeviceFactory([=]() -> std::shared_ptr<TunerSource> {
        return CaptureFileSource::Open(path, clock, endOfCapture);
    });
    return device;
}

DeviceDescription StreamUrlDevice(const StreamUrl& url) {
    DeviceDescription device;
    device.friendlyName = WideFromUtf8(StreamUrlName(url));
    device.createFilter =
        TunerDeviceFactory([=]() -> std::shared_ptr<TunerSource> { return UdpSource::Open(url); });
    return device;
}

std::wstring WideFromUtf8(const std::string& text) {
    std::wstring wide;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t length = byte < 0x80                   ? 1
                        : byte >= 0xC2 && byte < 0xE0 ? 2
                        : byte >= 0xE0 && byte < 0xF0 ? 3
                        : byte >= 0xF0 && byte < 0xF5 ? 4
                                                      : 0;
        char32_t code = length == 1   ? byte
                        : length == 2 ? byte & 0x1F
                        : length == 3 ? byte & 0x0F
                                      : byte & 0x07;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        valid = valid && !(length == 3 && code < 0x800) && !(length == 4 && code < 0x10000) &&
                !(code >= 0xD800 && code < 0xE000) && code <= 0x10FFFF;
        if (!valid) {
            wide.push_back(L'\uFFFD');
            ++i;
            continue;
        }
        wide.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return wide;
}
