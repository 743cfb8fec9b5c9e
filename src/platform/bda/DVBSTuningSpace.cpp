#include "platform/bda/DVBSTuningSpace.h"

#include "platform/bda/DVBTuneRequest.h"

namespace {

template <typename T>
HRESULT GetValue(T value, T* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

DVBSTuningSpace::DVBSTuningSpace() : CUnknown(NAME("DVBSTuningSpace"), nullptr) {}

STDMETHODIMP DVBSTuningSpace::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IDVBSTuningSpace || riid == IID_IDVBTuningSpace || riid == IID_ITuningSpace)
        return GetInterface(static_cast<IDVBSTuningSpace*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT DVBSTuningSpace::GetText(const Text& text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (!text)
        return S_OK;
    *out = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void DVBSTuningSpace::PutText(Text& text, BSTR value) {
    if (value == nullptr)
        text.reset();
    else
        text.emplace(value, SysStringLen(value));
}

STDMETHODIMP DVBSTuningSpace::get_UniqueName(BSTR* Name) {
    return GetText(uniqueName, Name);
}

STDMETHODIMP DVBSTuningSpace::put_UniqueName(BSTR Name) {
    PutText(uniqueName, Name);
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_FriendlyName(BSTR* Name) {
    return GetText(friendlyName, Name);
}

STDMETHODIMP DVBSTuningSpace::put_FriendlyName(BSTR Name) {
    PutText(friendlyName, Name);
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_NetworkType(BSTR* NetworkTypeGuid) {
    if (NetworkTypeGuid == nullptr)
        return E_POINTER;
    const std::wstring text = FormatGuidW(networkType);
    *NetworkTypeGuid = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *NetworkTypeGuid != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP DVBSTuningSpace::get__NetworkType(GUID* NetworkTypeGuid) {
    return GetValue(networkType, NetworkTypeGuid);
}

STDMETHODIMP DVBSTuningSpace::put__NetworkType(REFCLSID NetworkTypeGuid) {
    networkType = NetworkTypeGuid;
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::CreateTuneRequest(ITuneRequest** TuneRequest) {
    if (TuneRequest == nullptr)
        return E_POINTER;
    return CreateComObject<DVBTuneRequest>(IID_ITuneRequest, reinterpret_cast<void**>(TuneRequest),
                                           static_cast<ITuningSpace*>(this));
}

STDMETHODIMP DVBSTuningSpace::get_FrequencyMapping(BSTR* pMapping) {
    return GetText(frequencyMapping, pMapping);
}

STDMETHODIMP DVBSTuningSpace::put_FrequencyMapping(BSTR Mapping) {
    PutText(frequencyMapping, Mapping);
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_DefaultLocator(ILocator** LocatorVal) {
    if (LocatorVal == nullptr)
        return E_POINTER;
    defaultLocator.CopyTo(LocatorVal);
    return defaultLocator ? S_OK : S_FALSE;
}

STDMETHODIMP DVBSTuningSpace::put_DefaultLocator(ILocator* LocatorVal) {
    if (LocatorVal == nullptr) {
        defaultLocator = nullptr;
        return S_OK;
    }
    ComPtr<ILocator> copy;
    HRESULT hr = LocatorVal->Clone(&copy);
    if (FAILED(hr))
        return hr;
    defaultLocator = std::move(copy);
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::Clone(ITuningSpace** NewTS) {
    if (NewTS == nullptr)
        return E_POINTER;
    *NewTS = nullptr;
    DVBSTuningSpace* copy = new DVBSTuningSpace();
    ComPtr<IDVBSTuningSpace> owner;
    copy->NonDelegatingQueryInterface(IID_IDVBSTuningSpace, reinterpret_cast<void**>(&owner));
    copy->uniqueName = uniqueName;
    copy->friendlyName = friendlyName;
    copy->frequencyMapping = frequencyMapping;
    copy->networkType = networkType;
    copy->systemType = systemType;
    copy->lowOscillator = lowOscillator;
    copy->highOscillator = highOscillator;
    copy->lnbSwitch = lnbSwitch;
    if (defaultLocator) {
        HRESULT hr = defaultLocator->Clone(&copy->defaultLocator);
        if (FAILED(hr))
            return hr;
    }
    *NewTS = owner.Detach();
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_SystemType(DVBSystemType* SysType) {
    return GetValue(systemType, SysType);
}

STDMETHODIMP DVBSTuningSpace::put_SystemType(DVBSystemType SysType) {
    systemType = SysType;
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_LowOscillator(LONG* LowOscillator) {
    return GetValue(lowOscillator, LowOscillator);
}

STDMETHODIMP DVBSTuningSpace::put_LowOscillator(LONG LowOscillator) {
    lowOscillator = LowOscillator;
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_HighOscillator(LONG* HighOscillator) {
    return GetValue(highOscillator, HighOscillator);
}

STDMETHODIMP DVBSTuningSpace::put_HighOscillator(LONG HighOscillator) {
    highOscillator = HighOscillator;
    return S_OK;
}

STDMETHODIMP DVBSTuningSpace::get_LNBSwitch(LONG* LNBSwitch) {
    return GetValue(lnbSwitch, LNBSwitch);
}

STDMETHODIMP DVBSTuningSpace::put_LNBSwitch(LONG LNBSwitch) {
    lnbSwitch = LNBSwitch;
    return S_OK;
}
