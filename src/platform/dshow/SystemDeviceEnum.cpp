#include "platform/dshow/SystemDeviceEnum.h"

#include <cwctype>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/dshow/DeviceRegistry.h"

namespace {

using SharedDevice = std::shared_ptr<const DeviceDescription>;

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

class DevicePropertyBag : public CUnknown, public IPropertyBag {
public:
    explicit DevicePropertyBag(SharedDevice device)
        : CUnknown(NAME("DevicePropertyBag"), nullptr), device(std::move(device)) {}

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IPropertyBag)
            return GetInterface(static_cast<IPropertyBag*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*) override {
        if (pszPropName == nullptr || pVar == nullptr)
            return E_POINTER;
        // Property names are matched like registry value names.
        if (!EqualsIgnoringCase(pszPropName, L"FriendlyName"))
            return E_FAIL;
        if (pVar->vt != VT_EMPTY && pVar->vt != VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        if (FAILED(device->readResult))
            return device->readResult;
        if (!device->friendlyName)
            return E_FAIL;
        BSTR name = SysAllocStringLen(device->friendlyName->data(),
                                      static_cast<UINT>(device->friendlyName->size()));
        if (name == nullptr)
            return E_OUTOFMEMORY;
        pVar->vt = VT_BSTR;
        pVar->bstrVal = name;
        return S_OK;
    }

private:
    SharedDevice device;
};

class DeviceMoniker : public CUnknown, public IMoniker {
public:
    explicit DeviceMoniker(SharedDevice device)
        : CUnknown(NAME("DeviceMoniker"), nullptr), device(std::move(device)) {}

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IMoniker)
            return GetInterface(static_cast<IMoniker*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP BindToObject(IBindCtx*, IMoniker*, REFIID riidResult, void** ppvResult) override {
        if (ppvResult == nullptr)
            return E_POINTER;
        *ppvResult = nullptr;
        if (FAILED(device->bindToObjectResult))
            return device->bindToObjectResult;
        if (!device->createFilter)
            return E_FAIL;
        return device->createFilter(nullptr, riidResult, ppvResult);
    }

    STDMETHODIMP BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** ppvObj) override {
        if (ppvObj == nullptr)
            return E_POINTER;
        *ppvObj = nullptr;
        if (FAILED(device->bindToStorageResult))
            return device->bindToStorageResult;
        return CreateComObject<DevicePropertyBag>(riid, ppvObj, device);
    }

private:
    SharedDevice device;
};

class DeviceMonikerEnum : public CUnknown, public IEnumMoniker {
public:
    explicit DeviceMonikerEnum(std::vector<SharedDevice> devices)
        : CUnknown(NAME("DeviceMonikerEnum"), nullptr), devices(std::move(devices)) {}

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IEnumMoniker)
            return GetInterface(static_cast<IEnumMoniker*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP Next(ULONG celt, IMoniker** rgelt, ULONG* pceltFetched) override {
        if (rgelt == nullptr)
            return E_POINTER;
        if (pceltFetched == nullptr && celt != 1)
            return E_POINTER;
        ULONG fetched = 0;
        while (fetched < celt && position < devices.size()) {
            HRESULT hr = CreateComObject<DeviceMoniker>(
                IID_IMoniker, reinterpret_cast<void**>(&rgelt[fetched]), devices[position]);
            if (FAILED(hr))
                break;
            ++position;
            ++fetched;
        }
        if (pceltFetched != nullptr)
            *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }

    STDMETHODIMP Reset() override {
        position = 0;
        return S_OK;
    }

private:
    std::vector<SharedDevice> devices;
    size_t position = 0;
};

}  // namespace

SystemDeviceEnum::SystemDeviceEnum() : CUnknown(NAME("SystemDeviceEnum"), nullptr) {}

STDMETHODIMP SystemDeviceEnum::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ICreateDevEnum)
        return GetInterface(static_cast<ICreateDevEnum*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP SystemDeviceEnum::CreateClassEnumerator(REFCLSID clsidDeviceClass,
                                                     IEnumMoniker** ppEnumMoniker, DWORD) {
    if (ppEnumMoniker == nullptr)
        return E_POINTER;
    *ppEnumMoniker = nullptr;
    std::vector<SharedDevice> devices;
    for (DeviceDescription& device : DeviceRegistry::Devices(clsidDeviceClass)) {
        devices.push_back(std::make_shared<const DeviceDescription>(std::move(device)));
    }
    if (devices.empty())
        return S_FALSE;
    return CreateComObject<DeviceMonikerEnum>(
        IID_IEnumMoniker, reinterpret_cast<void**>(ppEnumMoniker), std::move(devices));
}
