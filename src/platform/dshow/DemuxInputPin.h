#pragma once
// The demultiplexer's input pin "MPEG-2 Stream": takes a transport stream (MEDIATYPE_Stream,
// MPEG-2 transport) and hands every sample and the end of stream to its filter.

#include "platform/dshow/BaseInputPin.h"

class Mpeg2Demultiplexer;

class DemuxInputPin : public CBaseInputPin {
public:
    DemuxInputPin(Mpeg2Demultiplexer* filter, CCritSec* lock);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // Delivers what the sample completes before it returns; VFW_E_WRONG_STATE when stopped.
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;

private:
    Mpeg2Demultiplexer* const demux;
};
