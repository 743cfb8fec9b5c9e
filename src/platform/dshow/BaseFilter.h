#pragma once
// CBaseFilter: the IBaseFilter of a filter built on the base classes. A derived filter gives
// its pins through GetPinCount/GetPin and a lock (m_pLock) that guards its state; the base
// does enumeration, FindPin, names, the graph link and the Stopped/Paused/Running states.
//
// State changes are made by the graph manager on the main thread, under m_pLock; on each,
// the base calls the connected pins' Active (leaving Stopped), Run (entering Running) and
// Inactive (entering Stopped).
//
// Streaming model: an output pin delivers synchronously, on the caller's thread, into the
// connected input pin's IMemInputPin::Receive (CBaseOutputPin::Deliver). A filter that owns a
// thread (a source) starts it in Run and joins it in Stop, and must never hold m_pLock while
// joining: the thread may be inside a Deliver that, further down, needs a lock the main thread
// is about to take. See StreamingThread.h for the pattern.

#include <atomic>
#include <string>

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/CritSec.h"
#include "platform/dshow/FilterInterfaces.h"
#include "platform/dshow/GraphInterfaces.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    // pUnk: the owner that answers IUnknown for this filter (null: the filter itself).
    // pLock: the filter's state lock, owned by the derived class (or by the owner).
    CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid);
    CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    // IBaseFilter, IMediaFilter, IPersist, and IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // The filter's pins; GetPin gives null past the last one. Must not fail otherwise.
    virtual int GetPinCount() PURE;
    virtual CBasePin* GetPin(int n) PURE;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsID) override;

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    // The pin whose name is Id; VFW_E_NOT_FOUND.
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;

    bool IsActive() const { return m_State != State_Stopped; }
    bool IsStopped() const { return m_State == State_Stopped; }

    // Pin enumerators go out of sync when the version changes: a filter that adds or removes
    // pins at run time increments it.
    virtual LONG GetPinVersion() { return m_PinVersion; }
    void IncrementPinVersion() { ++m_PinVersion; }

    // Sends an event to the graph manager (E_NOTIMPL when not in a graph). For EC_COMPLETE the
    // second parameter is replaced by this filter, which is how the graph tells renderers apart.
    HRESULT NotifyEvent(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);

    // The graph the filter is in (no reference held), or null.
    IFilterGraph* GetFilterGraph() const { return m_pGraph; }

protected:
    std::atomic<FILTER_STATE> m_State{State_Stopped};
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    // Not counted: the graph holds the filter, and clears these when it removes it.
    std::atomic<IFilterGraph*> m_pGraph{nullptr};
    std::atomic<IMediaEventSink*> m_pSink{nullptr};
    std::atomic<LONG> m_PinVersion{1};

private:
    std::wstring name;  // given by JoinFilterGraph
};
