#include "platform/bda/DVBTuneRequest.h"

DVBTuneRequest::DVBTuneRequest(ITuningSpace* tuningSpace)
    : CUnknown(NAME("DVBTuneRequest"), nullptr), tuningSpace(tuningSpace) {}

STDMETHODIMP DVBTuneRequest::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IDVBTuneRequest || riid == IID_ITuneRequest)
        return GetInterface(static_cast<IDVBTuneRequest*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP DVBTuneRequest::get_TuningSpace(ITuningSpace** TuningSpace) {
    return tuningSpace.CopyTo(TuningSpace);
}

STDMETHODIMP DVBTuneRequest::Clone(ITuneRequest** NewTuneRequest) {
    if (NewTuneRequest == nullptr)
        return E_POINTER;
    *NewTuneRequest = nullptr;
    ComPtr<ITuneRequest> copy;
    HRESULT hr = CreateComObject<DVBTuneRequest>(IID_ITuneRequest, reinterpret_cast<void**>(&copy),
                                                 tuningSpace.Get());
    if (FAILED(hr))
        return hr;
    if (locator) {
        ComPtr<ILocator> locatorCopy;
        hr = locator->Clone(&locatorCopy);
        if (FAILED(hr))
            return hr;
        copy->put_Locator(locatorCopy.Get());
    }
    *NewTuneRequest = copy.Detach();
    return S_OK;
}

STDMETHODIMP DVBTuneRequest::get_Locator(ILocator** Locator) {
    if (Locator == nullptr)
        return E_POINTER;
    locator.CopyTo(Locator);
    return locator ? S_OK : S_FALSE;
}

STDMETHODIMP DVBTuneRequest::put_Locator(ILocator* Locator) {
    locator = Locator;
    return S_OK;
}
