#pragma once
// The MPEG-2 demultiplexer's interfaces: output pins made at run time and their PID maps.

#include "platform/dshow/FilterInterfaces.h"

// Of a fixed width, as on Windows, so that a value outside the list is an unknown content type
// that MapPID can refuse rather than undefined behaviour.
enum MEDIA_SAMPLE_CONTENT : int {
    MEDIA_TRANSPORT_PACKET = 0,
    MEDIA_ELEMENTARY_STREAM = 1,
    MEDIA_MPEG2_PSI = 2,
    MEDIA_TRANSPORT_PAYLOAD = 3,
};

struct IMpeg2Demultiplexer : IUnknown {
    STDMETHOD(CreateOutputPin)(AM_MEDIA_TYPE* pMediaType, LPWSTR pszPinName, IPin** ppIPin) PURE;
    STDMETHOD(DeleteOutputPin)(LPWSTR pszPinName) PURE;
};

// On a demultiplexer output pin.
struct IMPEG2PIDMap : IUnknown {
    STDMETHOD(MapPID)(ULONG culPID, ULONG* pulPID, MEDIA_SAMPLE_CONTENT MediaSampleContent) PURE;
};

extern const IID IID_IMpeg2Demultiplexer;
extern const IID IID_IMPEG2PIDMap;
