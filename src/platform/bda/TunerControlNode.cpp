#include "platform/bda/TunerControlNode.h"

#include "platform/bda/TunerDeviceFilter.h"

TunerControlNode::TunerControlNode(TunerDeviceFilter* filter)
    : CUnknown(NAME("TunerControlNode"), nullptr), filter(filter) {
    filter->AddRef();
}

TunerControlNode::~TunerControlNode() {
    filter->Release();
}

STDMETHODIMP TunerControlNode::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IBDA_SignalStatistics)
        return GetInterface(static_cast<IBDA_SignalStatistics*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP TunerControlNode::get_SignalStrength(LONG* plDbStrength) {
    if (plDbStrength == nullptr)
        return E_POINTER;
    SignalStatistics statistics;
    HRESULT hr = filter->ReadSignalStatistics(statistics);
    if (SUCCEEDED(hr))
        *plDbStrength = statistics.strength;
    return hr;
}

STDMETHODIMP TunerControlNode::get_SignalQuality(LONG* plPercentQuality) {
    if (plPercentQuality == nullptr)
        return E_POINTER;
    SignalStatistics statistics;
    HRESULT hr = filter->ReadSignalStatistics(statistics);
    if (SUCCEEDED(hr))
        *plPercentQuality = statistics.quality;
    return hr;
}

STDMETHODIMP TunerControlNode::get_SignalLocked(BOOLEAN* pfLocked) {
    if (pfLocked == nullptr)
        return E_POINTER;
    SignalStatistics statistics;
    HRESULT hr = filter->ReadSignalStatistics(statistics);
    if (SUCCEEDED(hr))
        *pfLocked = statistics.locked ? 1 : 0;
    return hr;
}
