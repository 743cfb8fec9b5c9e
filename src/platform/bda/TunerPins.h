#pragma once
// The two pins of a tuner device filter. Both answer IKsPropertySet, as a BDA tuner's pins do;
// the antenna input takes the vendor PID-filter command (and, like a driver that needs no
// answer buffer, leaves its bytes-returned count alone).
//
// "MPEG2 Transport" (output) delivers the transport stream; "Input0" (input) is where the
// network provider connects.

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/BaseOutputPin.h"

// The transport stream types the output offers, preferred first.
CMediaType TransportStreamType(int position);

class TunerTransportPin : public CBaseOutputPin, public IKsPropertySet {
public:
    TunerTransportPin(CBaseFilter* filter, CCritSec* lock);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;

    // No property of this pin is known: E_PROP_SET_UNSUPPORTED.
    STDMETHODIMP Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData,
                     DWORD cbInstanceData, LPVOID pPropData, DWORD cbPropData) override;
};

class TunerAntennaPin : public CBasePin, public IKsPropertySet {
public:
    // `acceptsVendorCommand` false: the driver knows no vendor property set.
    TunerAntennaPin(CBaseFilter* filter, CCritSec* lock, bool acceptsVendorCommand = true);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // The BDA antenna type only.
    HRESULT CheckMediaType(const CMediaType* pmt) override;

    // Accepts the vendor PID-filter command (property set KSPROPSETID_VendorPidFilter, id 0)
    // when the source does: there is nothing to do and nothing to answer. Otherwise
    // E_PROP_SET_UNSUPPORTED, as for any set the driver does not know.
    STDMETHODIMP Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData,
                     DWORD cbInstanceData, LPVOID pPropData, DWORD cbPropData) override;

private:
    const bool acceptsVendorCommand;
};
