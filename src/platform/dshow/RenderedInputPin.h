#pragma once
// CRenderedInputPin: the input pin of a filter that ends a stream (a renderer). When the
// end of stream reaches it while the filter runs, or the filter starts running after it came,
// it tells the graph once with EC_COMPLETE; the graph passes EC_COMPLETE on to the application
// when every renderer of the graph has sent it.

#include <atomic>

#include "platform/dshow/BaseInputPin.h"

class CRenderedInputPin : public CBaseInputPin {
public:
    CRenderedInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                      LPCWSTR pName);

    STDMETHODIMP EndOfStream() override;
    HRESULT Active() override;
    HRESULT Run(REFERENCE_TIME tStart) override;

private:
    void DoCompleteHandling();

    std::atomic<bool> atEndOfStream{false};
    std::atomic<bool> completeNotified{false};
};
