#pragma once
// CBaseOutputPin: an output pin that delivers media samples synchronously into the connected
// input pin's IMemInputPin::Receive, on the caller's thread. There are no allocators: the
// caller owns the sample's memory (see CMemorySample) and may reuse it once Deliver returns.

#include "platform/dshow/BasePin.h"

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                   LPCWSTR pName);
    ~CBaseOutputPin() override;

    // The peer must offer IMemInputPin.
    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    // Output pins receive no end of stream.
    STDMETHODIMP EndOfStream() override;

    // The peer's Receive result, or VFW_E_NOT_CONNECTED.
    virtual HRESULT Deliver(IMediaSample* pSample);
    // Passes the end of stream to the peer, or VFW_E_NOT_CONNECTED.
    virtual HRESULT DeliverEndOfStream();

protected:
    IMemInputPin* m_pInputPin = nullptr;  // the peer's, counted; set while connected
};
