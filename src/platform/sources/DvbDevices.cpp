#include "platform/sources/DvbDevices.h"

#include "platform/bda/TunerDeviceFilter.h"
#include "platform/sources/DvbFrontendTree.h"
#include "platform/sources/SourceDevices.h"

std::vector<DeviceDescription> DvbFrontendDevices(const std::string& root,
                                                  std::shared_ptr<DvbDeviceApi> api,
                                                  DvbSource::Timing timing) {
    std::vector<DeviceDescription> devices;
    for (const DvbFrontendPaths& paths : FindDvbFrontends(root)) {
        std::string name;
        if (api->ReadFrontendName(paths, name) != 0 || name.empty()) {
            name = "DVB adapter" + std::to_string(paths.adapter) + " frontend" +
                   std::to_string(paths.frontend);
        }
        DeviceDescription device;
        device.friendlyName = WideFromUtf8(name);
        device.createFilter = TunerDeviceFactory(
            [=]() -> std::shared_ptr<TunerSource> { return DvbSource::Open(paths, api, timing); });
        devices.push_back(std::move(device));
    }
    return devices;
}
