#include "platform/com/ClassRegistry.h"

#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct Entry {
    uint64_t id;
    ClassFactory factory;  // null: registered as absent
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<GUID, std::vector<Entry>> classes;  // last entry wins
    uint64_t nextId = 1;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The built-in classes go in once, below whatever tests register.
std::once_flag builtinsOnce;
thread_local bool installingBuiltins = false;

void EnsureBuiltins() {
    if (installingBuiltins)
        return;
    std::call_once(builtinsOnce, [] {
        installingBuiltins = true;
        RegisterBuiltinClasses();
        installingBuiltins = false;
    });
}

thread_local LONG apartmentCount = 0;

}  // namespace

ClassRegistration RegisterClass(REFCLSID clsid, ClassFactory factory) {
    EnsureBuiltins();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const uint64_t id = registry.nextId++;
    registry.classes[clsid].push_back(Entry{id, std::move(factory)});
    return ClassRegistration(id);
}

ClassRegistration::ClassRegistration(ClassRegistration&& other) noexcept
    : id(std::exchange(other.id, 0)) {}

ClassRegistration& ClassRegistration::operator=(ClassRegistration&& other) noexcept {
    if (this != &other) {
        Reset();
        id = std::exchange(other.id, 0);
    }
    return *this;
}

ClassRegistration::~ClassRegistration() {
    Reset();
}

void ClassRegistration::Reset() {
    if (id == 0)
        return;
    Registry& registry = TheRegistry();
    ClassFactory removed;  // destroyed outside the lock: it may own objects
    {
        std::lock_guard lock(registry.mutex);
        for (auto it = registry.classes.begin(); it != registry.classes.end(); ++it) {
            auto& entries = it->second;
            for (auto e = entries.begin(); e != entries.end(); ++e) {
                if (e->id == id) {
                    removed = std::move(e->factory);
                    entries.erase(e);
                    if (entries.empty())
                        registry.classes.erase(it);
                    id = 0;
                    return;
                }
            }
        }
    }
    id = 0;
}

ClassFactory FailingFactory(HRESULT hr) {
    return [hr](IUnknown*, REFIID, void** ppv) {
        if (ppv)
            *ppv = nullptr;
        return hr;
    };
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    if ((clsContext & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    EnsureBuiltins();
    ClassFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        auto it = registry.classes.find(rclsid);
        if (it == registry.classes.end())
            return REGDB_E_CLASSNOTREG;
        factory = it->second.back().factory;
    }
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    // Called without the lock: a factory may create other objects.
    HRESULT hr = factory(outer, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

HRESULT CoInitializeEx(LPVOID, DWORD) {
    return apartmentCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (apartmentCount > 0)
        --apartmentCount;
}

LONG CoInitializeCount() {
    return apartmentCount;
}
