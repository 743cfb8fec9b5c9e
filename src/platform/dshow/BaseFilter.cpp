#include "platform/dshow/BaseFilter.h"

#include <cwchar>

#include "platform/dshow/BasePin.h"
#include "platform/dshow/EnumPins.h"

CBaseFilter::CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid)
    : CUnknown(pName, pUnk), m_clsid(clsid), m_pLock(pLock) {}

CBaseFilter::CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT*)
    : CBaseFilter(pName, pUnk, pLock, clsid) {}

CBaseFilter::~CBaseFilter() = default;

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist) {
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID) {
    if (pClsID == nullptr)
        return E_POINTER;
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop() {
    CAutoLock lock(m_pLock);
    HRESULT hr = S_OK;
    if (m_State != State_Stopped) {
        for (int i = 0, count = GetPinCount(); i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (pin == nullptr)
                break;
            if (pin->IsConnected()) {
                HRESULT pinResult = pin->Inactive();
                if (FAILED(pinResult) && SUCCEEDED(hr))
                    hr = pinResult;
            }
        }
    }
    m_State = State_Stopped;
    return hr;
}

STDMETHODIMP CBaseFilter::Pause() {
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        for (int i = 0, count = GetPinCount(); i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (pin == nullptr)
                break;
            if (pin->IsConnected()) {
                HRESULT hr = pin->Active();
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart) {
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped) {
        HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    if (m_State != State_Running) {
        for (int i = 0, count = GetPinCount(); i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (pin == nullptr)
                break;
            if (pin->IsConnected()) {
                HRESULT hr = pin->Run(tStart);
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    m_State = State_Running;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD, FILTER_STATE* State) {
    if (State == nullptr)
        return E_POINTER;
    *State = m_State;
    return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum) {
    if (ppEnum == nullptr)
        return E_POINTER;
    return CreateComObject<CEnumPins>(IID_IEnumPins, reinterpret_cast<void**>(ppEnum), this);
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin) {
    if (ppPin == nullptr || Id == nullptr)
        return E_POINTER;
    *ppPin = nullptr;
    CAutoLock lock(m_pLock);
    for (int i = 0, count = GetPinCount(); i < count; ++i) {
        CBasePin* pin = GetPin(i);
        if (pin == nullptr)
            break;
        if (std::wcscmp(pin->Name(), Id) == 0) {
            *ppPin = pin;
            pin->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (pInfo == nullptr)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    std::wcsncpy(pInfo->achName, name.c_str(), MAX_FILTER_NAME - 1);
    pInfo->achName[MAX_FILTER_NAME - 1] = 0;
    pInfo->pGraph = m_pGraph;
    if (pInfo->pGraph != nullptr)
        pInfo->pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    IMediaEventSink* sink = nullptr;
    if (pGraph != nullptr &&
        SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
        // Held without a reference, like the graph itself.
        sink->Release();
    } else {
        sink = nullptr;
    }
    m_pSink = sink;
    name = pName != nullptr ? pName : L"";
    return S_OK;
}

HRESULT CBaseFilter::NotifyEvent(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
    IMediaEventSink* sink = m_pSink;
    if (sink == nullptr)
        return E_NOTIMPL;
    if (EventCode == EC_COMPLETE) {
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    }
    return sink->Notify(EventCode, EventParam1, EventParam2);
}
