#include "platform/dshow/BaseOutputPin.h"

CBaseOutputPin::CBaseOutputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock,
                               HRESULT* phr, LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_OUTPUT) {}

CBaseOutputPin::~CBaseOutputPin() {
    if (m_pInputPin != nullptr)
        m_pInputPin->Release();
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pPin) {
    HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr))
        return hr;
    if (m_pInputPin != nullptr) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return pPin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_pInputPin));
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (m_pInputPin != nullptr) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return CBasePin::BreakConnect();
}

STDMETHODIMP CBaseOutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample) {
    IMemInputPin* input = m_pInputPin;
    if (input == nullptr)
        return VFW_E_NOT_CONNECTED;
    return input->Receive(pSample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
    IPin* peer = m_Connected;
    if (peer == nullptr)
        return VFW_E_NOT_CONNECTED;
    return peer->EndOfStream();
}
