#include "platform/dshow/EnumPins.h"

#include "platform/dshow/BasePin.h"

CEnumPins::CEnumPins(CBaseFilter* pFilter)
    : CUnknown(NAME("CEnumPins"), nullptr), filter(pFilter), version(pFilter->GetPinVersion()) {
    filter->AddRef();
}

CEnumPins::~CEnumPins() {
    filter->Release();
}

STDMETHODIMP CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IEnumPins)
        return GetInterface(static_cast<IEnumPins*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) {
    if (ppPins == nullptr)
        return E_POINTER;
    if (pcFetched == nullptr && cPins != 1)
        return E_POINTER;
    if (pcFetched != nullptr)
        *pcFetched = 0;
    if (filter->GetPinVersion() != version)
        return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG fetched = 0;
    const int count = filter->GetPinCount();
    while (fetched < cPins && position < count) {
        CBasePin* pin = filter->GetPin(position++);
        if (pin == nullptr)
            break;
        pin->AddRef();
        ppPins[fetched++] = pin;
    }
    if (pcFetched != nullptr)
        *pcFetched = fetched;
    return fetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Reset() {
    version = filter->GetPinVersion();
    position = 0;
    return S_OK;
}
