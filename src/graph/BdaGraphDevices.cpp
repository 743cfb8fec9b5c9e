// Device lookup, the tuner's pins, its signal status and its vendor PID-filter command.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "graph/BdaGraph.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/Variant.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/system/CodePageConversion.h"

namespace {

// The tuner driver's PID filter: the PIDs it lets through.
struct PidFilterInfo {
    uint8_t PIDFilterMode;
    uint8_t MaxPidsNum;
    uint16_t reserved;
    uint32_t CurPidValidMap;
    uint16_t PidValue[32];
};
static_assert(sizeof(PidFilterInfo) == 72, "the driver reads exactly 72 bytes");

// The property data of the vendor command: an I/O control request carried by the property,
// with the buffers given by address, so its layout follows the pointer size of the process.
struct VendorCommand {
    GUID command;
    uint32_t controlCode;
    void* inputBuffer;
    uint32_t inputBufferSize;
    void* outputBuffer;
    uint32_t outputBufferSize;
    uint32_t* bytesReturned;
};
static_assert(sizeof(void*) != 4 || sizeof(VendorCommand) == 40);
static_assert(sizeof(void*) != 8 || sizeof(VendorCommand) == 64);

constexpr GUID vendorPropertySet = GuidFromText("{E5644CC4-17A1-4EED-BD90-74FDA1D65423}");
constexpr GUID pidFilterCommand = GuidFromText("{255E0082-2017-4B03-90F8-856A62CB3D67}");
// Device type 0xAA00, function 113, buffered, any access.
constexpr uint32_t pidFilterControlCode = 0xAA00u << 16 | 113u << 2;
static_assert(pidFilterControlCode == 0xAA0001C4);

}  // namespace

HRESULT BdaGraph::LoadFilter(REFCLSID category, ComPtr<IBaseFilter>& out, IBaseFilter* upstream,
                             BOOL byOrdinal) {
    HRESULT hr;
    if (!pDevEnum) {
        hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_ICreateDevEnum,
                              reinterpret_cast<void**>(&pDevEnum));
        if (FAILED(hr)) {
            std::printf("LoadFilter(): Cannot CoCreate ICreateDevEnum\n");
            return hr;
        }
    }
    if (!pGraphBuilder)
        return E_POINTER;
    ComPtr<IEnumMoniker> monikers;
    hr = pDevEnum->CreateClassEnumerator(category, &monikers, 0);
    if (FAILED(hr)) {
        std::printf("LoadFilter(): Cannot CreateClassEnumerator\n");
        return hr;
    }
    if (hr == S_FALSE || !monikers) {
        std::printf("LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n");
        return E_UNEXPECTED;
    }

    ComPtr<IMoniker> moniker;
    LONG position = 0;
    while (monikers->Next(1, &moniker, nullptr) == S_OK && moniker) {
        // Every device counts, also those skipped below.
        ++position;
        if (byOrdinal && position != tunerOrdinal)
            continue;
        ComPtr<IPropertyBag> properties;
        hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                    reinterpret_cast<void**>(&properties));
        if (FAILED(hr))
            return hr;
        if (!properties)
            continue;
        VARIANT friendlyName;
        VariantInit(&friendlyName);
        hr = properties->Read(L"FriendlyName", &friendlyName, nullptr);
        if (FAILED(hr) || friendlyName.vt != VT_BSTR) {
            VariantClear(&friendlyName);
            continue;
        }
        const BSTR name = friendlyName.bstrVal;
        // No line end yet: the outcome completes the line.
        std::printf("Loading filter \"%ls\"", name != nullptr ? name : L"");

        ComPtr<IBaseFilter> filter;
        hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                   reinterpret_cast<void**>(&filter));
        if (FAILED(hr) || !filter) {
            VariantClear(&friendlyName);
            continue;
        }
        hr = pGraphBuilder->AddFilter(filter.Get(), name);
        VariantClear(&friendlyName);
        if (FAILED(hr))
            return hr;
        if (upstream == nullptr) {
            filter.QueryInterface(IID_IBaseFilter, out);
            return S_OK;
        }
        if (SUCCEEDED(ConnectFilters(upstream, filter.Get()))) {
            filter.QueryInterface(IID_IBaseFilter, out);
            std::printf(" - succeeded!\n");
            return S_OK;
        }
        hr = pGraphBuilder->RemoveFilter(filter.Get());
        std::printf(" - doesn't fit, unloading!\n");
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

ComPtr<IPin> BdaGraph::FindPin(IBaseFilter* filter, const char* name, BOOL matchName) {
    if (filter == nullptr)
        return nullptr;
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(&pins) != S_OK || !pins)
        return nullptr;
    pins->Reset();
    ComPtr<IPin> pin;
    while (pins->Next(1, &pin, nullptr) == S_OK && pin) {
        PIN_INFO info;
        if (FAILED(pin->QueryPinInfo(&info)))
            continue;
        if (info.pFilter != nullptr)
            info.pFilter->Release();
        if (name == nullptr || !matchName)
            return pin;
        // A name that does not fit the buffer whole cannot match.
        char narrowName[80];
        const size_t length = wcsnlen(info.achName, MAX_PIN_NAME);
        int written = 0;
        if (length > 0) {
            written = WideCharToMultiByte(CP_ACP, 0, info.achName, static_cast<int>(length),
                                          narrowName, sizeof narrowName - 1, nullptr, nullptr);
            if (written == 0)
                continue;
        }
        narrowName[written] = '\0';
        if (std::strcmp(narrowName, name) == 0)
            return pin;
    }
    return nullptr;
}

bool BdaGraph::GetTunerDemodPins() {
    if (!pTunerFilter)
        return false;
    pTunerInPin = FindPin(pTunerFilter.Get(), "Antenna In Pin", TRUE);
    if (!pTunerInPin)
        pTunerInPin = FindPin(pTunerFilter.Get(), "Input0", TRUE);
    if (!pTunerInPin) {
        std::printf("Cannot find Input0 pin on BDA Tuner/Demod filter!\n");
        return false;
    }
    // The tuner's first pin, whatever its name.
    pTunerOutPin = FindPin(pTunerFilter.Get(), "MPEG2 Transport", FALSE);
    if (!pTunerOutPin) {
        std::printf("Cannot find MPEG2 Transport pin on BDA Tuner/Demod filter!\n");
        return false;
    }
    if (FAILED(pTunerInPin.QueryInterface(IID_IKsPropertySet, pTunerInPropSet)) ||
        !pTunerInPropSet) {
        std::printf("QI of IKsPropertySet failed\n");
        pTunerInPin.Release();
        return false;
    }
    if (FAILED(pTunerOutPin.QueryInterface(IID_IKsPropertySet, pTunerOutPropSet)) ||
        !pTunerOutPropSet) {
        std::printf("QI of IKsPropertySet failed\n");
        pTunerOutPin.Release();
        return false;
    }
    return true;
}

bool BdaGraph::GetSignalStatus(BOOLEAN& locked, LONG& quality, LONG& strength) {
    locked = 0;
    quality = 0;
    strength = 0;
    ComPtr<IBDA_Topology> topology;
    if (pTunerFilter)
        pTunerFilter.QueryInterface(IID_IBDA_Topology, topology);
    if (!topology)
        return false;
    ComPtr<IUnknown> node;
    if (FAILED(topology->GetControlNode(0, 1, 0, &node)) || !node)
        return false;
    ComPtr<IBDA_SignalStatistics> statistics;
    if (FAILED(node.QueryInterface(IID_IBDA_SignalStatistics, statistics)) || !statistics)
        return false;
    // Each value only when the one before it was read; what was not read stays 0.
    BOOLEAN isLocked = 0;
    if (FAILED(statistics->get_SignalLocked(&isLocked)))
        return false;
    locked = isLocked;
    LONG value = 0;
    if (FAILED(statistics->get_SignalQuality(&value)))
        return false;
    quality = value;
    value = 0;
    if (FAILED(statistics->get_SignalStrength(&value)))
        return false;
    strength = value;
    return true;
}

bool BdaGraph::SetPidFilter() {
    if (!pTunerInPropSet)
        return false;
    PidFilterInfo pidFilter;
    std::memset(&pidFilter, 0, sizeof pidFilter);
    pidFilter.PIDFilterMode = 0;
    pidFilter.MaxPidsNum = 3;
    pidFilter.CurPidValidMap = 0xFE;
    pidFilter.PidValue[0] = 0x0000;
    pidFilter.PidValue[1] = 0x0011;
    pidFilter.PidValue[2] = 0x0012;
    uint32_t bytesReturned = 0;

    // Zeroed whole, padding included: the driver sees every byte.
    VendorCommand command;
    std::memset(&command, 0, sizeof command);
    command.command = pidFilterCommand;
    command.controlCode = pidFilterControlCode;
    command.inputBuffer = &pidFilter;
    command.inputBufferSize = sizeof pidFilter;
    command.outputBuffer = nullptr;
    command.outputBufferSize = 0;
    command.bytesReturned = &bytesReturned;

    BYTE instanceData[24] = {};
    HRESULT hr = pTunerInPropSet->Set(vendorPropertySet, 0, instanceData, sizeof instanceData,
                                      &command, sizeof command);
    return SUCCEEDED(hr) && bytesReturned == 0;
}
