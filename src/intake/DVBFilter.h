#pragma once
// DVBFilter: the sink filter the demultiplexer's section output connects to. One input pin;
// everything else is the base filter's. Its IUnknown is the proxy's, so a QueryInterface on
// it yields only IUnknown: graph code takes its IBaseFilter directly.

#include "platform/dshow/BaseFilter.h"

class DVBFilterToParserProxy;

extern const CLSID CLSID_DVBFilter;

class DVBFilter : public CBaseFilter {
public:
    explicit DVBFilter(DVBFilterToParserProxy* proxy);
    ~DVBFilter() override;

    // 1.
    int GetPinCount() override;
    // The proxy's pin for 0, null for anything else.
    CBasePin* GetPin(int n) override;

    DVBFilterToParserProxy* const proxy;  // not owned: it owns this filter
};
