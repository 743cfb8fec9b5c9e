#include "platform/dshow/DeviceRegistry.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

struct Entry {
    uint64_t id;
    DeviceDescription device;
};

struct DeviceTable {
    std::mutex mutex;
    std::unordered_map<GUID, std::vector<Entry>> categories;
    uint64_t nextId = 1;
};

DeviceTable& TheDevices() {
    static DeviceTable devices;
    return devices;
}

}  // namespace

DeviceRegistration DeviceRegistry::Register(REFGUID category, DeviceDescription device) {
    DeviceTable& devices = TheDevices();
    std::lock_guard lock(devices.mutex);
    const uint64_t id = devices.nextId++;
    devices.categories[category].push_back(Entry{id, std::move(device)});
    return DeviceRegistration(id);
}

std::vector<DeviceDescription> DeviceRegistry::Devices(REFGUID category) {
    DeviceTable& devices = TheDevices();
    std::lock_guard lock(devices.mutex);
    std::vector<DeviceDescription> out;
    auto it = devices.categories.find(category);
    if (it == devices.categories.end())
        return out;
    for (const Entry& entry : it->second)
        out.push_back(entry.device);
    return out;
}

void DeviceRegistry::Unregister(uint64_t id) {
    DeviceTable& devices = TheDevices();
    DeviceDescription removed;  // destroyed outside the lock: its factory may own objects
    std::lock_guard lock(devices.mutex);
    for (auto it = devices.categories.begin(); it != devices.categories.end(); ++it) {
        auto& entries = it->second;
        for (auto e = entries.begin(); e != entries.end(); ++e) {
            if (e->id == id) {
                removed = std::move(e->device);
                entries.erase(e);
                if (entries.empty())
                    devices.categories.erase(it);
                return;
            }
        }
    }
}

DeviceRegistration::DeviceRegistration(DeviceRegistration&& other) noexcept
    : id(std::exchange(other.id, 0)) {}

DeviceRegistration& DeviceRegistration::operator=(DeviceRegistration&& other) noexcept {
    if (this != &other) {
        Reset();
        id = std::exchange(other.id, 0);
    }
    return *this;
}

DeviceRegistration::~DeviceRegistration() {
    Reset();
}

void DeviceRegistration::Reset() {
    if (id != 0)
        DeviceRegistry::Unregister(std::exchange(id, 0));
}
