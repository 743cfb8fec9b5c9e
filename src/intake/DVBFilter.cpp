#include "intake/DVBFilter.h"

#include "intake/DVBFilterInputPin.h"
#include "intake/DVBFilterToParserProxy.h"

const CLSID CLSID_DVBFilter = GuidFromText("{36A5F770-FE4C-11CE-A8ED-00AA002FECB0}");

DVBFilter::DVBFilter(DVBFilterToParserProxy* proxy)
    : CBaseFilter(NAME("DVBFilter"), proxy->GetOwner(), &proxy->lock, CLSID_DVBFilter),
      proxy(proxy) {}

DVBFilter::~DVBFilter() = default;

int DVBFilter::GetPinCount() {
    return 1;
}

CBasePin* DVBFilter::GetPin(int n) {
    return n == 0 ? proxy->pin : nullptr;
}
