#pragma once
// An output pin of the demultiplexer, made by IMpeg2Demultiplexer::CreateOutputPin: it offers
// the media type it was made with, and its IMPEG2PIDMap maps PIDs to it.

#include "platform/dshow/BaseOutputPin.h"
#include "platform/dshow/Mpeg2Interfaces.h"

class Mpeg2Demultiplexer;

class DemuxOutputPin : public CBaseOutputPin, public IMPEG2PIDMap {
public:
    DemuxOutputPin(Mpeg2Demultiplexer* filter, CCritSec* lock, LPCWSTR name, const CMediaType& type,
                   int id);

    DECLARE_IUNKNOWN
    // IMPEG2PIDMap, then the pin's.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Only the pin's own type (major type and subtype).
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;

    // Maps culPID PIDs to this pin; a PID mapped to another pin moves here. All or nothing:
    // E_POINTER, E_INVALIDARG (no PIDs, a PID above 0x1FFF, a content type that does not
    // exist), E_NOTIMPL (content other than MEDIA_MPEG2_PSI), E_UNEXPECTED (pin deleted).
    STDMETHODIMP MapPID(ULONG culPID, ULONG* pulPID,
                        MEDIA_SAMPLE_CONTENT MediaSampleContent) override;

    int Id() const { return id; }
    // Set by the filter under its locks when the pin is deleted.
    bool deleted = false;

private:
    Mpeg2Demultiplexer* const demux;
    const CMediaType type;
    const int id;
};
