#include "intake/DVBFilterInputPin.h"

#include <mutex>

#include "intake/DVBFilter.h"
#include "intake/DVBFilterToParserProxy.h"
#include "intake/DispatchSections.h"
#include "platform/system/TickCount.h"

DVBFilterInputPin::DVBFilterInputPin(DVBFilterToParserProxy* proxy, DVBFilter* filter, HRESULT* phr)
    : CRenderedInputPin(NAME("DVBFilterInputPin"), filter, &proxy->lock, phr, L"Input"),
      proxy(proxy) {}

DVBFilterInputPin::~DVBFilterInputPin() = default;

HRESULT DVBFilterInputPin::CheckMediaType(const CMediaType*) {
    return S_OK;
}

STDMETHODIMP DVBFilterInputPin::Receive(IMediaSample* pSample) {
    // Neither the filter's state nor flushing is checked: every sample delivered is parsed.
    if (pSample == nullptr)
        return S_OK;
    BYTE* data = nullptr;
    pSample->GetPointer(&data);
    const LONG length = pSample->GetActualDataLength();
    if (data == nullptr)
        return S_OK;
    std::lock_guard guard(proxy->documentLock);
    if (proxy->documentClosed)
        return S_OK;
    if (DispatchSections(data, length, proxy->parser))
        proxy->lastActivityTick = GetTickCount();
    return S_OK;
}

STDMETHODIMP DVBFilterInputPin::ReceiveCanBlock() {
    return S_FALSE;
}
