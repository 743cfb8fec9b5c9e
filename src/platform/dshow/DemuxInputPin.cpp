#include "platform/dshow/DemuxInputPin.h"

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"

DemuxInputPin::DemuxInputPin(Mpeg2Demultiplexer* filter, CCritSec* lock)
    : CBaseInputPin(NAME("MPEG-2 demultiplexer input"), filter, lock, nullptr, L"MPEG-2 Stream"),
      demux(filter) {}

HRESULT DemuxInputPin::CheckMediaType(const CMediaType* pmt) {
    if (*pmt->Type() != MEDIATYPE_Stream)
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (*pmt->Subtype() != MEDIASUBTYPE_MPEG2_TRANSPORT &&
        *pmt->Subtype() != KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return S_OK;
}

STDMETHODIMP DemuxInputPin::Receive(IMediaSample* pSample) {
    if (pSample == nullptr)
        return E_POINTER;
    return demux->ReceiveStream(pSample);
}

STDMETHODIMP DemuxInputPin::EndOfStream() {
    return demux->EndOfStream();
}
