#pragma once
// The control node of a tuner device filter that reports the signal. It keeps its filter alive
// and asks the filter's source on every read.

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/CUnknown.h"

class TunerDeviceFilter;

class TunerControlNode : public CUnknown, public IBDA_SignalStatistics {
public:
    explicit TunerControlNode(TunerDeviceFilter* filter);
    ~TunerControlNode() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Each read fails with the source's failure when it cannot report.
    STDMETHODIMP get_SignalStrength(LONG* plDbStrength) override;
    STDMETHODIMP get_SignalQuality(LONG* plPercentQuality) override;
    STDMETHODIMP get_SignalLocked(BOOLEAN* pfLocked) override;

private:
    TunerDeviceFilter* const filter;  // counted
};
