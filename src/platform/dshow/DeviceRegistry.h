#pragma once
// The devices the system device enumerator offers, by category, in registration order (the
// order every enumeration gives them in). Each device has a friendly name (or none) and a
// factory that makes a new filter instance on every bind. Each step of reaching a device can
// be made to fail, for tests:
//
//     DeviceDescription tuner;
//     tuner.friendlyName = L"Capture Tuner";
//     tuner.createFilter = MakeClassFactory<CaptureTuner>(path);
//     DeviceRegistration registered = DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER,
//     tuner);
//
//     DeviceDescription broken;
//     broken.bindToStorageResult = E_ACCESSDENIED;   // moniker.BindToStorage fails
//
// Registrations last as long as their handle. Thread-safe.

#include <optional>
#include <string>
#include <vector>

#include "platform/com/ClassRegistry.h"

struct DeviceDescription {
    // None: Read("FriendlyName") fails (E_FAIL).
    std::optional<std::wstring> friendlyName;
    // Called by BindToObject with no outer object and the requested interface. Null: the
    // device cannot be bound (E_FAIL).
    ClassFactory createFilter;
    // A failure here is what the step returns instead of doing its work.
    HRESULT bindToStorageResult = S_OK;
    HRESULT readResult = S_OK;
    HRESULT bindToObjectResult = S_OK;
};

// Removes its device when destroyed (or on Reset). Move-only.
class DeviceRegistration {
public:
    DeviceRegistration() = default;
    DeviceRegistration(DeviceRegistration&& other) noexcept;
    DeviceRegistration& operator=(DeviceRegistration&& other) noexcept;
    DeviceRegistration(const DeviceRegistration&) = delete;
    DeviceRegistration& operator=(const DeviceRegistration&) = delete;
    ~DeviceRegistration();
    void Reset();

private:
    friend class DeviceRegistry;
    explicit DeviceRegistration(uint64_t id) : id(id) {}
    uint64_t id = 0;
};

class DeviceRegistry {
public:
    // Appends the device to its category.
    static DeviceRegistration Register(REFGUID category, DeviceDescription device);
    // The category's devices as they stand now, in order.
    static std::vector<DeviceDescription> Devices(REFGUID category);

private:
    friend class DeviceRegistration;
    static void Unregister(uint64_t id);
};
