#include "platform/bda/DVBSLocator.h"

namespace {

template <typename T>
HRESULT GetValue(T value, T* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

DVBSLocator::DVBSLocator() : CUnknown(NAME("DVBSLocator"), nullptr) {}

STDMETHODIMP DVBSLocator::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IDVBSLocator || riid == IID_ILocator)
        return GetInterface(static_cast<IDVBSLocator*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP DVBSLocator::get_CarrierFrequency(LONG* Frequency) {
    return GetValue(carrierFrequency, Frequency);
}

STDMETHODIMP DVBSLocator::put_CarrierFrequency(LONG Frequency) {
    carrierFrequency = Frequency;
    return S_OK;
}

STDMETHODIMP DVBSLocator::get_InnerFEC(FECMethod* FEC) {
    return GetValue(innerFec, FEC);
}

STDMETHODIMP DVBSLocator::put_InnerFEC(FECMethod FEC) {
    innerFec = FEC;
    return S_OK;
}

STDMETHODIMP DVBSLocator::get_Modulation(ModulationType* Modulation) {
    return GetValue(modulation, Modulation);
}

STDMETHODIMP DVBSLocator::put_Modulation(ModulationType Modulation) {
    modulation = Modulation;
    return S_OK;
}

STDMETHODIMP DVBSLocator::get_SymbolRate(LONG* Rate) {
    return GetValue(symbolRate, Rate);
}

STDMETHODIMP DVBSLocator::put_SymbolRate(LONG Rate) {
    symbolRate = Rate;
    return S_OK;
}

STDMETHODIMP DVBSLocator::get_SignalPolarisation(Polarisation* PolarisationVal) {
    return GetValue(polarisation, PolarisationVal);
}

STDMETHODIMP DVBSLocator::put_SignalPolarisation(Polarisation PolarisationVal) {
    polarisation = PolarisationVal;
    return S_OK;
}

STDMETHODIMP DVBSLocator::Clone(ILocator** NewLocator) {
    if (NewLocator == nullptr)
        return E_POINTER;
    *NewLocator = nullptr;
    ComPtr<IDVBSLocator> copy;
    HRESULT hr = CreateComObject<DVBSLocator>(IID_IDVBSLocator, reinterpret_cast<void**>(&copy));
    if (FAILED(hr))
        return hr;
    copy->put_CarrierFrequency(carrierFrequency);
    copy->put_InnerFEC(innerFec);
    copy->put_Modulation(modulation);
    copy->put_SymbolRate(symbolRate);
    copy->put_SignalPolarisation(polarisation);
    *NewLocator = copy.Detach();
    return S_OK;
}
