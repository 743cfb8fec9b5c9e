#pragma once
// The tuner devices the transport stream sources stand for, as the device enumerator lists
// them: a description each, whose binds open the source anew (and say on standard output why
// they cannot).

#include <memory>
#include <string>

#include "platform/dshow/DeviceRegistry.h"
#include "platform/sources/CaptureTime.h"
#include "platform/sources/EndOfCaptureSignal.h"
#include "platform/sources/StreamUrl.h"

// "Capture file <path>". `clock` null: the run's clock is not the stream's.
DeviceDescription CaptureFileDevice(const std::string& path, std::shared_ptr<CaptureTime> clock,
                                    std::shared_ptr<EndOfCaptureSignal> endOfCapture);

// "UDP <host>:<port>" or "RTP <host>:<port>".
DeviceDescription StreamUrlDevice(const StreamUrl& url);

// A friendly name from UTF-8 bytes (a byte that is not part of valid UTF-8 becomes U+FFFD).
std::wstring WideFromUtf8(const std::string& text);
