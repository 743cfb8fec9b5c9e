#include "platform/dshow/DemuxOutputPin.h"

#include "platform/dshow/Mpeg2Demultiplexer.h"

DemuxOutputPin::DemuxOutputPin(Mpeg2Demultiplexer* filter, CCritSec* lock, LPCWSTR name,
                               const CMediaType& type, int id)
    : CBaseOutputPin(NAME("MPEG-2 demultiplexer output"), filter, lock, nullptr, name),
      demux(filter),
      type(type),
      id(id) {}

STDMETHODIMP DemuxOutputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IMPEG2PIDMap)
        return GetInterface(static_cast<IMPEG2PIDMap*>(this), ppv);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT DemuxOutputPin::CheckMediaType(const CMediaType* pmt) {
    if (*pmt->Type() != *type.Type() || *pmt->Subtype() != *type.Subtype())
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT DemuxOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType) {
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    *pMediaType = type;
    return S_OK;
}

STDMETHODIMP DemuxOutputPin::MapPID(ULONG culPID, ULONG* pulPID,
                                    MEDIA_SAMPLE_CONTENT MediaSampleContent) {
    if (pulPID == nullptr)
        return E_POINTER;
    switch (MediaSampleContent) {
        case MEDIA_MPEG2_PSI:
            break;
        case MEDIA_TRANSPORT_PACKET:
        case MEDIA_ELEMENTARY_STREAM:
        case MEDIA_TRANSPORT_PAYLOAD:
            return E_NOTIMPL;  // only sections are demultiplexed here
        default:
            return E_INVALIDARG;
    }
    return demux->MapPids(this, culPID, pulPID);
}
