#include "platform/bda/TunerPins.h"

#include "platform/bda/TunerDevice.h"
#include "platform/dshow/DShowGuids.h"

CMediaType TransportStreamType(int position) {
    CMediaType type;
    if (position == 0 || position == 1) {
        type.SetType(&MEDIATYPE_Stream);
        type.SetSubtype(position == 0 ? &KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT
                                      : &MEDIASUBTYPE_MPEG2_TRANSPORT);
        type.SetFormatType(&FORMAT_None);
    }
    return type;
}

TunerTransportPin::TunerTransportPin(CBaseFilter* filter, CCritSec* lock)
    : CBaseOutputPin(NAME("TunerTransportPin"), filter, lock, nullptr, L"MPEG2 Transport") {}

STDMETHODIMP TunerTransportPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IKsPropertySet)
        return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT TunerTransportPin::CheckMediaType(const CMediaType* pmt) {
    for (int position = 0; position < 2; ++position) {
        const CMediaType offered = TransportStreamType(position);
        if (*pmt->Type() == *offered.Type() && *pmt->Subtype() == *offered.Subtype())
            return S_OK;
    }
    return S_FALSE;
}

HRESULT TunerTransportPin::GetMediaType(int iPosition, CMediaType* pMediaType) {
    if (iPosition < 0 || iPosition > 1)
        return VFW_S_NO_MORE_ITEMS;
    *pMediaType = TransportStreamType(iPosition);
    return S_OK;
}

STDMETHODIMP TunerTransportPin::Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) {
    return E_PROP_SET_UNSUPPORTED;
}

TunerAntennaPin::TunerAntennaPin(CBaseFilter* filter, CCritSec* lock, bool acceptsVendorCommand)
    : CBasePin(NAME("TunerAntennaPin"), filter, lock, nullptr, L"Input0", PINDIR_INPUT),
      acceptsVendorCommand(acceptsVendorCommand) {}

STDMETHODIMP TunerAntennaPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IKsPropertySet)
        return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT TunerAntennaPin::CheckMediaType(const CMediaType* pmt) {
    return *pmt->Type() == KSDATAFORMAT_TYPE_BDA_ANTENNA ? S_OK : S_FALSE;
}

STDMETHODIMP TunerAntennaPin::Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID, DWORD,
                                  LPVOID pPropData, DWORD) {
    if (guidPropSet != KSPROPSETID_VendorPidFilter || !acceptsVendorCommand)
        return E_PROP_SET_UNSUPPORTED;
    if (dwPropID != 0)
        return E_PROP_ID_UNSUPPORTED;
    if (pPropData == nullptr)
        return E_POINTER;
    return S_OK;
}
