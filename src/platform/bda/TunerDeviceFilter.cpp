#include "platform/bda/TunerDeviceFilter.h"

#include <algorithm>
#include <limits>

#include "platform/bda/TunerControlNode.h"
#include "platform/dshow/MemorySample.h"

class TunerDeviceFilter::PinSink final : public TransportStreamSink {
public:
    explicit PinSink(TunerTransportPin& pin) : pin(pin) {}

    // Each piece goes down as one sample; what the demultiplexer answers changes nothing for a
    // source that cannot hold back the broadcast.
    void DeliverBytes(const uint8_t* data, size_t size) override {
        constexpr size_t kLargestSample = std::numeric_limits<LONG>::max();
        while (size > 0) {
            const size_t piece = std::min(size, kLargestSample);
            CMemorySample sample(data, static_cast<LONG>(piece));
            pin.Deliver(&sample);
            data += piece;
            size -= piece;
        }
    }
    void DeliverEndOfStream() override { pin.DeliverEndOfStream(); }

private:
    TunerTransportPin& pin;
};

TunerDeviceFilter::TunerDeviceFilter(std::shared_ptr<TunerSource> source)
    : CBaseFilter(NAME("TunerDeviceFilter"), nullptr, &lock, GUID_NULL),
      source(std::move(source)),
      transportPin(this, &lock),
      antennaPin(this, &lock, this->source->AcceptsVendorPidFilter()) {}

TunerDeviceFilter::~TunerDeviceFilter() {
    thread.Stop();
}

STDMETHODIMP TunerDeviceFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IBDA_Topology)
        return GetInterface(static_cast<IBDA_Topology*>(this), ppv);
    if (riid == IID_IBdaTunerDevice)
        return GetInterface(static_cast<IBdaTunerDevice*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int TunerDeviceFilter::GetPinCount() {
    return 2;
}

CBasePin* TunerDeviceFilter::GetPin(int n) {
    switch (n) {
        case 0:
            return &transportPin;
        case 1:
            return &antennaPin;
        default:
            return nullptr;
    }
}

STDMETHODIMP TunerDeviceFilter::Run(REFERENCE_TIME tStart) {
    HRESULT hr = CBaseFilter::Run(tStart);
    if (SUCCEEDED(hr))
        thread.Start([this](std::stop_token stop) { Stream(stop); });
    return hr;
}

STDMETHODIMP TunerDeviceFilter::Stop() {
    // Joined without the state lock: the thread may be inside a delivery right now.
    thread.Stop();
    return CBaseFilter::Stop();
}

void TunerDeviceFilter::Stream(std::stop_token stop) {
    PinSink sink(transportPin);
    source->Stream(stop, sink);
}

STDMETHODIMP TunerDeviceFilter::GetControlNode(ULONG ulInputPinId, ULONG ulOutputPinId,
                                               ULONG ulNodeType, IUnknown** ppControlNode) {
    if (ppControlNode == nullptr)
        return E_POINTER;
    *ppControlNode = nullptr;
    if (ulInputPinId != 0 || ulOutputPinId != 1 || ulNodeType > 1)
        return E_INVALIDARG;
    return CreateComObject<TunerControlNode>(IID_IUnknown, reinterpret_cast<void**>(ppControlNode),
                                             this);
}

STDMETHODIMP TunerDeviceFilter::Tune(const TuneParameters* parameters) {
    if (parameters == nullptr)
        return E_POINTER;
    return source->Tune(*parameters);
}

HRESULT TunerDeviceFilter::ReadSignalStatistics(SignalStatistics& statistics) {
    return source->GetSignalStatistics(statistics);
}

ClassFactory TunerDeviceFactory(std::function<std::shared_ptr<TunerSource>()> makeSource) {
    return
        [makeSource = std::move(makeSource)](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
            if (ppv == nullptr)
                return E_POINTER;
            *ppv = nullptr;
            if (outer != nullptr)
                return CLASS_E_NOAGGREGATION;
            std::shared_ptr<TunerSource> source = makeSource();
            if (!source)
                return E_FAIL;
            return CreateComObject<TunerDeviceFilter>(riid, ppv, std::move(source));
        };
}
