#include "platform/dshow/TransportInformationFilter.h"

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/RenderedInputPin.h"

const CLSID CLSID_TransportInformationFilter =
    GuidFromText("{FC772AB0-0C7F-11D3-8FF2-00A0C9224CF4}");

class TransportInformationFilter::InputPin : public CRenderedInputPin {
public:
    InputPin(CBaseFilter* filter, CCritSec* lock)
        : CRenderedInputPin(NAME("TIF input"), filter, lock, nullptr, L"Input") {}

    HRESULT CheckMediaType(const CMediaType* pmt) override {
        return *pmt->Type() == MEDIATYPE_MPEG2_SECTIONS ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    STDMETHODIMP Receive(IMediaSample* pSample) override {
        return pSample == nullptr ? E_POINTER : S_OK;
    }
    // Discarding never waits.
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }
};

TransportInformationFilter::TransportInformationFilter()
    : CBaseFilter(NAME("TIF"), nullptr, &lock, CLSID_TransportInformationFilter),
      input(std::make_unique<InputPin>(this, &lock)) {}

TransportInformationFilter::~TransportInformationFilter() = default;

int TransportInformationFilter::GetPinCount() {
    return 1;
}

CBasePin* TransportInformationFilter::GetPin(int n) {
    return n == 0 ? input.get() : nullptr;
}

DeviceRegistration RegisterTransportInformationFilter() {
    DeviceDescription tif;
    tif.friendlyName = TransportInformationFilter::kFriendlyName;
    tif.createFilter = MakeClassFactory<TransportInformationFilter>();
    return DeviceRegistry::Register(KSCATEGORY_BDA_TRANSPORT_INFORMATION, std::move(tif));
}
