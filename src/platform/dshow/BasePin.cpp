#include "platform/dshow/BasePin.h"

#include <cwchar>

CBasePin::CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT*,
                   LPCWSTR pName, PIN_DIRECTION dir)
    : CUnknown(pObjectName, nullptr),
      m_dir(dir),
      m_pLock(pLock),
      m_pFilter(pFilter),
      name(pName != nullptr ? pName : L"") {}

CBasePin::~CBasePin() {
    // A filter deletes its pins only once nothing holds them, so after disconnection; a pin
    // still connected here would leave its peer pointing at freed memory.
    if (m_Connected != nullptr)
        m_Connected->Release();
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IPin)
        return GetInterface(static_cast<IPin*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef() {
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease() {
    return m_pFilter->Release();
}

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    if (pReceivePin == nullptr)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    return AgreeMediaType(pReceivePin, pmt);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    if (pmt != nullptr) {
        CMediaType given(*pmt);
        if (!given.IsPartiallySpecified())
            return AttemptConnection(pReceivePin, &given);
    }
    const CMediaType partial = pmt != nullptr ? CMediaType(*pmt) : CMediaType();
    // The first failure that says more than "type refused" is the one reported.
    HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int i = 0;; ++i) {
        CMediaType candidate;
        if (GetMediaType(i, &candidate) != S_OK)
            break;
        if (!candidate.MatchesPartial(&partial))
            continue;
        HRESULT hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr))
            return hr;
        if (failure == VFW_E_NO_ACCEPTABLE_TYPES && hr != VFW_E_TYPE_NOT_ACCEPTED)
            failure = hr;
    }
    return failure;
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt) {
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr == S_OK) {
        m_Connected = pReceivePin;
        m_Connected->AddRef();
        hr = SetMediaType(pmt);
        if (SUCCEEDED(hr)) {
            hr = pReceivePin->ReceiveConnection(this, pmt);
            if (SUCCEEDED(hr)) {
                hr = CompleteConnect(pReceivePin);
                if (SUCCEEDED(hr))
                    return hr;
                pReceivePin->Disconnect();
            }
        }
    } else if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG) {
        hr = VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (m_Connected != nullptr) {
        m_Connected->Release();
        m_Connected = nullptr;
    }
    m_mt.InitMediaType();
    BreakConnect();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) {
    if (pConnector == nullptr || pmt == nullptr)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    const CMediaType type(*pmt);
    hr = CheckMediaType(&type);
    if (hr != S_OK) {
        BreakConnect();
        if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG)
            hr = VFW_E_TYPE_NOT_ACCEPTED;
        return hr;
    }
    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&type);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    BreakConnect();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect() {
    CAutoLock lock(m_pLock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal() {
    if (m_Connected == nullptr)
        return S_FALSE;
    HRESULT hr = BreakConnect();
    if (FAILED(hr))
        return hr;
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin) {
    if (pPin == nullptr)
        return E_POINTER;
    IPin* peer = m_Connected;
    *pPin = peer;
    if (peer == nullptr)
        return VFW_E_NOT_CONNECTED;
    peer->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    if (pmt == nullptr)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected == nullptr) {
        *pmt = CMediaType();  // all zero, nothing to free
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo) {
    if (pInfo == nullptr)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    std::wcsncpy(pInfo->achName, name.c_str(), MAX_PIN_NAME - 1);
    pInfo->achName[MAX_PIN_NAME - 1] = 0;
    pInfo->dir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir) {
    if (pPinDir == nullptr)
        return E_POINTER;
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::EndOfStream() {
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int, CMediaType*) {
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt) {
    m_mt = *pmt;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pPin) {
    PIN_DIRECTION peerDirection;
    HRESULT hr = pPin->QueryDirection(&peerDirection);
    if (FAILED(hr))
        return hr;
    return peerDirection == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect() {
    return S_OK;
}
HRESULT CBasePin::CompleteConnect(IPin*) {
    return S_OK;
}
HRESULT CBasePin::Active() {
    return S_OK;
}
HRESULT CBasePin::Inactive() {
    return S_OK;
}
HRESULT CBasePin::Run(REFERENCE_TIME) {
    return S_OK;
}
