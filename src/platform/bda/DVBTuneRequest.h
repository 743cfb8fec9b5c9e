#pragma once
// A DVB tune request: the tuning space it was made from and the locator of the transponder to
// tune. The locator is held as it was put (not copied); without one, the network provider
// falls back on the tuning space's default locator.

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/CUnknown.h"

class DVBTuneRequest : public CUnknown, public IDVBTuneRequest {
public:
    explicit DVBTuneRequest(ITuningSpace* tuningSpace);

    DECLARE_IUNKNOWN
    // IDVBTuneRequest, ITuneRequest and IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP get_TuningSpace(ITuningSpace** TuningSpace) override;
    // Same tuning space, a copy of the locator.
    STDMETHODIMP Clone(ITuneRequest** NewTuneRequest) override;
    // S_FALSE and null when no locator was put.
    STDMETHODIMP get_Locator(ILocator** Locator) override;
    STDMETHODIMP put_Locator(ILocator* Locator) override;

private:
    ComPtr<ITuningSpace> tuningSpace;
    ComPtr<ILocator> locator;
};
