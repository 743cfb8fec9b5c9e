#pragma once
// The DVB device calls for real adapters: the frontend through libdvbv5 (which finds it by its
// adapter and frontend numbers, and turns the transponder frequency into the tuner's with its
// LNB table), the demux and dvr devices through their files. Kept thin: what can be decided
// without a device is decided above it.

#include <memory>

#include "platform/sources/DvbDeviceApi.h"

std::shared_ptr<DvbDeviceApi> MakeDvbV5DeviceApi();
