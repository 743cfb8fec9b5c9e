#pragma once
// The DVB-S network provider: the filter at the top of a BDA graph. Its one output pin
// ("Antenna Out") connects to a tuner device's antenna input; through ITuner it takes tune
// requests and tunes the tuner connected below it. A request put while no tuner is connected is
// kept and applied when one connects.

#include <memory>
#include <optional>

#include "platform/bda/TunerDevice.h"
#include "platform/dshow/BaseFilter.h"

class NetworkProviderPin;

class DVBSNetworkProvider : public CBaseFilter, public ITuner {
public:
    DVBSNetworkProvider();
    ~DVBSNetworkProvider() override;

    DECLARE_IUNKNOWN
    // ITuner, then CBaseFilter's.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // ITuner. The request's locator (or, without one, its tuning space's default locator) and
    // the tuning space's LNB make the tune; E_INVALIDARG when neither locator exists. With a
    // tuner connected, the tuner's result.
    STDMETHODIMP get_TuneRequest(ITuneRequest** TuneRequest) override;
    STDMETHODIMP put_TuneRequest(ITuneRequest* TuneRequest) override;

    // The tune put last, for the pin to apply when a tuner connects.
    std::optional<TuneParameters> PendingTune();

private:
    CCritSec lock;
    std::unique_ptr<NetworkProviderPin> pin;
    ComPtr<ITuneRequest> tuneRequest;
    std::optional<TuneParameters> tune;
};

// Tunes the filter that owns `tunerPin` when it offers IBdaTunerDevice; S_FALSE when it does
// not (a tuner that takes no tunes from us).
HRESULT TuneConnectedTuner(IPin* tunerPin, const TuneParameters& parameters);
