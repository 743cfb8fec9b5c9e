#pragma once
// CBasePin: IPin of the base classes. The pin belongs to its filter: AddRef and Release go to
// the filter (so to the filter's owner), and the filter deletes its pins. QueryInterface is the
// pin's own (IPin and what derived pins add).
//
// Connecting: the graph calls Connect on the output pin, which tries its media types
// (GetMediaType 0, 1, ... or the fully specified type it was given) until the input pin's
// ReceiveConnection accepts one. Both sides check the peer's direction (CheckConnect) and the
// type (CheckMediaType), record the peer and the type (SetMediaType), then CompleteConnect; a
// failure on either side undoes both (BreakConnect). Connect, ReceiveConnection and Disconnect
// need the filter stopped (VFW_E_NOT_STOPPED). The peer is held with a reference until
// Disconnect, so a connection keeps both filters alive: the graph disconnects a filter's pins
// when it removes it.
//
// Pins live as long as their filter: a filter that removes pins at run time (the
// demultiplexer's DeleteOutputPin) must disconnect such a pin and keep the object until the
// filter itself is deleted, because a caller may still hold a reference taken on it (which
// counts on the filter) and release it later.

#include <string>

#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/MediaType.h"

class CBasePin : public CUnknown, public IPin {
public:
    CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
             LPCWSTR pName, PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    // IPin and IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // Counted on the filter.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP EndOfStream() override;

    // S_OK when the pin accepts the type; anything else refuses it.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) PURE;
    // The pin's preferred types, 0 first: S_OK while there is one at iPosition,
    // VFW_S_NO_MORE_ITEMS after the last. The base offers none.
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    // Checks the peer before a connection (the base: opposite direction).
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    // State changes of the filter, for connected pins (see CBaseFilter).
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME tStart);

    bool IsConnected() const { return m_Connected != nullptr; }
    // The peer, without a new reference; null when not connected.
    IPin* GetConnected() const { return m_Connected; }
    bool IsStopped() const { return m_pFilter->IsStopped(); }
    LPWSTR Name() { return name.data(); }
    CMediaType& CurrentMediaType() { return m_mt; }

protected:
    // Fixed while the filter runs (connections need it stopped), so the streaming thread may
    // read these without the lock.
    IPin* m_Connected = nullptr;
    CMediaType m_mt;
    const PIN_DIRECTION m_dir;
    CCritSec* const m_pLock;
    CBaseFilter* const m_pFilter;

private:
    HRESULT AgreeMediaType(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT DisconnectInternal();

    std::wstring name;
};
