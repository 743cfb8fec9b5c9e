#include "platform/dshow/BaseInputPin.h"

CBaseInputPin::CBaseInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock,
                             HRESULT* phr, LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_INPUT) {}

CBaseInputPin::~CBaseInputPin() = default;

STDMETHODIMP CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IMemInputPin)
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseInputPin::Receive(IMediaSample* pSample) {
    if (pSample == nullptr)
        return E_POINTER;
    return CheckStreaming();
}

STDMETHODIMP CBaseInputPin::ReceiveMultiple(IMediaSample** pSamples, LONG nSamples,
                                            LONG* nSamplesProcessed) {
    if (pSamples == nullptr || nSamplesProcessed == nullptr)
        return E_POINTER;
    *nSamplesProcessed = 0;
    HRESULT hr = S_OK;
    while (nSamples-- > 0) {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK)
            break;
        ++*nSamplesProcessed;
    }
    return hr;
}

STDMETHODIMP CBaseInputPin::ReceiveCanBlock() {
    int outputPins = 0;
    for (int i = 0, count = m_pFilter->GetPinCount(); i < count; ++i) {
        CBasePin* pin = m_pFilter->GetPin(i);
        if (pin == nullptr)
            break;
        PIN_DIRECTION direction;
        HRESULT hr = pin->QueryDirection(&direction);
        if (FAILED(hr))
            return hr;
        if (direction != PINDIR_OUTPUT)
            continue;
        ++outputPins;
        ComPtr<IPin> peer;
        if (FAILED(pin->ConnectedTo(&peer)) || !peer)
            continue;
        ComPtr<IMemInputPin> peerInput;
        if (FAILED(peer.QueryInterface(IID_IMemInputPin, peerInput)))
            return S_OK;
        if (peerInput->ReceiveCanBlock() != S_FALSE)
            return S_OK;
    }
    return outputPins == 0 ? S_OK : S_FALSE;
}

HRESULT CBaseInputPin::CheckStreaming() {
    return IsStopped() ? VFW_E_WRONG_STATE : S_OK;
}
