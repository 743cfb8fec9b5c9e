#include "platform/bda/DVBSNetworkProvider.h"

#include "platform/dshow/BasePin.h"
#include "platform/dshow/DShowGuids.h"

// The antenna output: connects to an input pin that takes the BDA antenna type.
class NetworkProviderPin : public CBasePin {
public:
    NetworkProviderPin(DVBSNetworkProvider* filter, CCritSec* lock)
        : CBasePin(NAME("NetworkProviderPin"), filter, lock, nullptr, L"Antenna Out",
                   PINDIR_OUTPUT),
          provider(filter) {}

    HRESULT CheckMediaType(const CMediaType* pmt) override {
        return *pmt->Type() == KSDATAFORMAT_TYPE_BDA_ANTENNA ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override {
        if (iPosition != 0)
            return VFW_S_NO_MORE_ITEMS;
        pMediaType->InitMediaType();
        pMediaType->SetType(&KSDATAFORMAT_TYPE_BDA_ANTENNA);
        pMediaType->SetFormatType(&FORMAT_None);
        return S_OK;
    }
    // A request put before the tuner was there is applied now. A tune that fails leaves the
    // connection: the failure shows as no signal lock, as with a real tuner.
    HRESULT CompleteConnect(IPin* pReceivePin) override {
        if (std::optional<TuneParameters> pending = provider->PendingTune())
            TuneConnectedTuner(pReceivePin, *pending);
        return S_OK;
    }

private:
    DVBSNetworkProvider* const provider;
};

HRESULT TuneConnectedTuner(IPin* tunerPin, const TuneParameters& parameters) {
    PIN_INFO info{};
    HRESULT hr = tunerPin->QueryPinInfo(&info);
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> filter;
    filter.Attach(info.pFilter);
    ComPtr<IBdaTunerDevice> tuner;
    if (!filter || FAILED(filter.QueryInterface(IID_IBdaTunerDevice, tuner)))
        return S_FALSE;
    return tuner->Tune(&parameters);
}

DVBSNetworkProvider::DVBSNetworkProvider()
    : CBaseFilter(NAME("DVBSNetworkProvider"), nullptr, &lock, CLSID_DVBSNetworkProvider),
      pin(std::make_unique<NetworkProviderPin>(this, &lock)) {}

DVBSNetworkProvider::~DVBSNetworkProvider() = default;

STDMETHODIMP DVBSNetworkProvider::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ITuner)
        return GetInterface(static_cast<ITuner*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int DVBSNetworkProvider::GetPinCount() {
    return 1;
}

CBasePin* DVBSNetworkProvider::GetPin(int n) {
    return n == 0 ? pin.get() : nullptr;
}

STDMETHODIMP DVBSNetworkProvider::get_TuneRequest(ITuneRequest** TuneRequest) {
    CAutoLock guard(&lock);
    if (TuneRequest == nullptr)
        return E_POINTER;
    tuneRequest.CopyTo(TuneRequest);
    return tuneRequest ? S_OK : S_FALSE;
}

namespace {

// The tune a request stands for; nothing when it has no locator to tune to.
std::optional<TuneParameters> TuneOf(ITuneRequest* request) {
    ComPtr<ITuningSpace> space;
    request->get_TuningSpace(&space);
    ComPtr<ILocator> locator;
    request->get_Locator(&locator);
    if (!locator && space)
        space->get_DefaultLocator(&locator);
    if (!locator)
        return std::nullopt;

    TuneParameters tune;
    locator->get_CarrierFrequency(&tune.carrierFrequency);
    locator->get_SymbolRate(&tune.symbolRate);
    locator->get_InnerFEC(&tune.innerFec);
    locator->get_Modulation(&tune.modulation);
    ComPtr<IDVBSLocator> satellite;
    if (SUCCEEDED(locator.QueryInterface(IID_IDVBSLocator, satellite)))
        satellite->get_SignalPolarisation(&tune.polarisation);
    ComPtr<IDVBSTuningSpace> satelliteSpace;
    if (space && SUCCEEDED(space.QueryInterface(IID_IDVBSTuningSpace, satelliteSpace))) {
        satelliteSpace->get_LowOscillator(&tune.lowOscillator);
        satelliteSpace->get_HighOscillator(&tune.highOscillator);
        satelliteSpace->get_LNBSwitch(&tune.lnbSwitch);
    }
    return tune;
}

}  // namespace

STDMETHODIMP DVBSNetworkProvider::put_TuneRequest(ITuneRequest* TuneRequest) {
    if (TuneRequest == nullptr)
        return E_POINTER;
    std::optional<TuneParameters> parameters = TuneOf(TuneRequest);
    if (!parameters)
        return E_INVALIDARG;
    CAutoLock guard(&lock);
    tuneRequest = TuneRequest;
    tune = parameters;
    IPin* tunerPin = pin->GetConnected();
    if (tunerPin == nullptr)
        return S_OK;
    HRESULT hr = TuneConnectedTuner(tunerPin, *parameters);
    return FAILED(hr) ? hr : S_OK;
}

std::optional<TuneParameters> DVBSNetworkProvider::PendingTune() {
    CAutoLock guard(&lock);
    return tune;
}
