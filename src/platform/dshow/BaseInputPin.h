#pragma once
// CBaseInputPin: an input pin with IMemInputPin, through which the upstream output pin
// delivers media samples on its streaming thread. A derived pin overrides Receive to consume
// them; the base Receive only checks that the filter is not stopped.

#include "platform/dshow/BasePin.h"

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                  LPCWSTR pName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    // IMemInputPin, then CBasePin's.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    // Receive for each sample in order, stopping at the first result other than S_OK;
    // *nSamplesProcessed counts those that gave S_OK.
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, LONG nSamples,
                                 LONG* nSamplesProcessed) override;
    // S_OK (may block) unless every connected output pin of the filter leads to a pin that
    // never blocks; a filter without output pins may block.
    STDMETHODIMP ReceiveCanBlock() override;

    // S_OK while the filter is paused or running, VFW_E_WRONG_STATE when stopped.
    virtual HRESULT CheckStreaming();
};
