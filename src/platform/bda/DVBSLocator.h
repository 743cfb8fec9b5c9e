#pragma once
// The DVB-S locator: where a transponder is (carrier frequency, symbol rate, polarisation) and
// how it is modulated. Every property starts "not set" (-1) and takes any value put; checking
// them is the tuner's business.

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/CUnknown.h"

class DVBSLocator : public CUnknown, public IDVBSLocator {
public:
    DVBSLocator();

    DECLARE_IUNKNOWN
    // IDVBSLocator, ILocator and IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // ILocator
    STDMETHODIMP get_CarrierFrequency(LONG* Frequency) override;
    STDMETHODIMP put_CarrierFrequency(LONG Frequency) override;
    STDMETHODIMP get_InnerFEC(FECMethod* FEC) override;
    STDMETHODIMP put_InnerFEC(FECMethod FEC) override;
    STDMETHODIMP get_Modulation(ModulationType* Modulation) override;
    STDMETHODIMP put_Modulation(ModulationType Modulation) override;
    STDMETHODIMP get_SymbolRate(LONG* Rate) override;
    STDMETHODIMP put_SymbolRate(LONG Rate) override;
    // A new locator with the same values.
    STDMETHODIMP Clone(ILocator** NewLocator) override;

    // IDVBSLocator
    STDMETHODIMP get_SignalPolarisation(Polarisation* PolarisationVal) override;
    STDMETHODIMP put_SignalPolarisation(Polarisation PolarisationVal) override;

private:
    LONG carrierFrequency = -1;
    FECMethod innerFec = BDA_FEC_METHOD_NOT_SET;
    ModulationType modulation = BDA_MOD_NOT_SET;
    LONG symbolRate = -1;
    Polarisation polarisation = BDA_POLARISATION_NOT_SET;
};
