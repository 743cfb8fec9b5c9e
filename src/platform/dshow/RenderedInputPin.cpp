#include "platform/dshow/RenderedInputPin.h"

CRenderedInputPin::CRenderedInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock,
                                     HRESULT* phr, LPCWSTR pName)
    : CBaseInputPin(pObjectName, pFilter, pLock, phr, pName) {}

STDMETHODIMP CRenderedInputPin::EndOfStream() {
    // Under the state lock, so that an end of stream cannot slip between the pins' Run and the
    // filter entering Running unseen.
    CAutoLock lock(m_pLock);
    HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    atEndOfStream = true;
    FILTER_STATE state;
    m_pFilter->GetState(0, &state);
    if (state == State_Running)
        DoCompleteHandling();
    return S_OK;
}

HRESULT CRenderedInputPin::Active() {
    atEndOfStream = false;
    completeNotified = false;
    return CBaseInputPin::Active();
}

HRESULT CRenderedInputPin::Run(REFERENCE_TIME tStart) {
    completeNotified = false;
    if (atEndOfStream)
        DoCompleteHandling();
    return CBaseInputPin::Run(tStart);
}

void CRenderedInputPin::DoCompleteHandling() {
    if (!completeNotified.exchange(true))
        m_pFilter->NotifyEvent(EC_COMPLETE, S_OK, 0);
}
