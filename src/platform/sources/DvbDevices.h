#pragma once
// The tuner devices that the Linux DVB frontends under a device root stand for, in the order
// of the tree (adapter, then frontend). Each is named as its frontend calls itself; a frontend
// whose name cannot be read (no permission, say) is still listed, as "DVB adapterN frontendM",
// and its bind says what is wrong.

#include <memory>
#include <string>
#include <vector>

#include "platform/dshow/DeviceRegistry.h"
#include "platform/sources/DvbDeviceApi.h"
#include "platform/sources/DvbSource.h"

std::vector<DeviceDescription> DvbFrontendDevices(const std::string& root,
                                                  std::shared_ptr<DvbDeviceApi> api,
                                                  DvbSource::Timing timing = {});
