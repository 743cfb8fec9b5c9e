#pragma once
// DVBFilterInputPin: the sink's input pin, named "Input". It accepts any media type, never
// blocks, and hands every sample's bytes to DispatchSections whatever the filter's state,
// stamping the proxy's lastActivityTick when a section brought anything new. Its AddRef and
// Release count on the filter, that is on the proxy.

#include "platform/dshow/RenderedInputPin.h"

class DVBFilter;
class DVBFilterToParserProxy;

class DVBFilterInputPin : public CRenderedInputPin {
public:
    DVBFilterInputPin(DVBFilterToParserProxy* proxy, DVBFilter* filter, HRESULT* phr);
    ~DVBFilterInputPin() override;

    // S_OK for every type.
    HRESULT CheckMediaType(const CMediaType* pmt) override;

    // Parses the sample in place before returning; S_OK in every case.
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    // S_FALSE: Receive does not block on anything but the parsing itself.
    STDMETHODIMP ReceiveCanBlock() override;

    DVBFilterToParserProxy* const proxy;  // not owned: it owns this pin
};
