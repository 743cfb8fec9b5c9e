#include "support/FakeFilter.h"

#include <mutex>

#include "platform/dshow/BaseOutputPin.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/MemorySample.h"
#include "platform/dshow/RenderedInputPin.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

HRESULT QueryExtra(const std::vector<FakeInterface>& interfaces, REFIID riid, void** ppv) {
    for (const FakeInterface& extra : interfaces) {
        if (extra.iid == riid)
            return GetInterface(extra.object.Get(), ppv);
    }
    return E_NOINTERFACE;
}

// The injection points shared by both pin kinds.
template <typename Base>
class FakePin : public Base {
public:
    FakePin(FakeFilter* filter, CCritSec* lock, int index)
        : Base(NAME("FakePin"), filter, lock, nullptr, filter->PinConfig(index).name.c_str()),
          fakeFilter(filter),
          index(index) {}

    FakePinConfig& Config() { return fakeFilter->PinConfig(index); }
    void Log(const char* method) { fakeFilter->Log(Narrow(Config().name) + "." + method); }

    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (SUCCEEDED(QueryExtra(Config().interfaces, riid, ppv)))
            return S_OK;
        return Base::NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override {
        if (FAILED(Config().queryPinInfoResult)) {
            if (pInfo != nullptr)
                pInfo->pFilter = nullptr;
            return Config().queryPinInfoResult;
        }
        return Base::QueryPinInfo(pInfo);
    }
    STDMETHODIMP ConnectedTo(IPin** pPin) override {
        if (FAILED(Config().connectedToResult)) {
            if (pPin != nullptr)
                *pPin = nullptr;
            return Config().connectedToResult;
        }
        return Base::ConnectedTo(pPin);
    }
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override {
        Log("Connect");
        if (FAILED(Config().connectResult))
            return Config().connectResult;
        return Base::Connect(pReceivePin, pmt);
    }
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override {
        Log("ReceiveConnection");
        if (FAILED(Config().receiveConnectionResult))
            return Config().receiveConnectionResult;
        return Base::ReceiveConnection(pConnector, pmt);
    }
    STDMETHODIMP Disconnect() override {
        if (FAILED(Config().disconnectResult))
            return Config().disconnectResult;
        return Base::Disconnect();
    }
    HRESULT CheckMediaType(const CMediaType* pmt) override {
        const std::vector<CMediaType>& types =
            Config().direction == PINDIR_OUTPUT ? Config().mediaTypes : Config().acceptTypes;
        if (types.empty())
            return Config().direction == PINDIR_OUTPUT ? S_FALSE : S_OK;
        for (const CMediaType& type : types) {
            if (pmt->MatchesPartial(&type))
                return S_OK;
        }
        return S_FALSE;
    }
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override {
        const std::vector<CMediaType>& types = Config().mediaTypes;
        if (Config().direction != PINDIR_OUTPUT || iPosition < 0 ||
            static_cast<size_t>(iPosition) >= types.size()) {
            return VFW_S_NO_MORE_ITEMS;
        }
        *pMediaType = types[static_cast<size_t>(iPosition)];
        return S_OK;
    }

protected:
    FakeFilter* const fakeFilter;
    const int index;
};

class FakeInputPin : public FakePin<CRenderedInputPin> {
public:
    using FakePin::FakePin;

    STDMETHODIMP Receive(IMediaSample* pSample) override {
        if (pSample == nullptr)
            return E_POINTER;
        BYTE* data = nullptr;
        pSample->GetPointer(&data);
        const LONG length = pSample->GetActualDataLength();
        {
            std::lock_guard guard(mutex);
            received.emplace_back(data, data + (length > 0 ? length : 0));
        }
        if (Config().onReceive)
            return Config().onReceive(pSample);
        return Config().receiveResult;
    }
    STDMETHODIMP EndOfStream() override {
        {
            std::lock_guard guard(mutex);
            ++endsOfStream;
        }
        Log("EndOfStream");
        return FakePin::EndOfStream();
    }

    std::mutex mutex;
    std::vector<std::vector<BYTE>> received;
    int endsOfStream = 0;
};

class FakeOutputPin : public FakePin<CBaseOutputPin> {
public:
    using FakePin::FakePin;
};

}  // namespace

class FakeFilter::Pins {
public:
    std::vector<std::unique_ptr<CBasePin>> all;
};

FakePinConfig FakePinConfig::Input(std::wstring name) {
    FakePinConfig config;
    config.name = std::move(name);
    config.direction = PINDIR_INPUT;
    return config;
}

FakePinConfig FakePinConfig::Output(std::wstring name, std::vector<CMediaType> types) {
    FakePinConfig config;
    config.name = std::move(name);
    config.direction = PINDIR_OUTPUT;
    config.mediaTypes =
        types.empty() ? std::vector<CMediaType>{FakeStreamType()} : std::move(types);
    return config;
}

CMediaType FakeStreamType() {
    CMediaType type(&MEDIATYPE_Stream);
    type.SetSubtype(&MEDIASUBTYPE_MPEG2_TRANSPORT);
    type.SetFormatType(&FORMAT_None);
    return type;
}

ComPtr<FakeFilter> FakeFilter::Create(FakeFilterConfig config) {
    return ComPtr<FakeFilter>(new FakeFilter(std::move(config)));
}

ClassFactory FakeFilter::Factory(FakeFilterConfig config) {
    return [config](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return CreateComObject<FakeFilter>(riid, ppv, config);
    };
}

DeviceDescription FakeFilter::Device(std::optional<std::wstring> friendlyName,
                                     FakeFilterConfig config) {
    DeviceDescription device;
    device.friendlyName = std::move(friendlyName);
    device.createFilter = Factory(std::move(config));
    return device;
}

FakeFilter::FakeFilter(FakeFilterConfig fakeConfig)
    : CBaseFilter(NAME("FakeFilter"), nullptr, &lock, fakeConfig.clsid),
      config(std::move(fakeConfig)),
      pins(std::make_unique<Pins>()) {
    for (int i = 0; i < static_cast<int>(config.pins.size()); ++i) {
        if (config.pins[static_cast<size_t>(i)].direction == PINDIR_INPUT) {
            pins->all.push_back(std::make_unique<FakeInputPin>(this, &lock, i));
        } else {
            pins->all.push_back(std::make_unique<FakeOutputPin>(this, &lock, i));
        }
    }
    if (config.onCreated)
        config.onCreated(this);
}

FakeFilter::~FakeFilter() = default;

void FakeFilter::Log(const std::string& method) {
    if (config.log)
        config.log->Add(config.label + "." + method);
}

STDMETHODIMP FakeFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (SUCCEEDED(QueryExtra(config.interfaces, riid, ppv)))
        return S_OK;
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int FakeFilter::GetPinCount() {
    return static_cast<int>(pins->all.size());
}

CBasePin* FakeFilter::GetPin(int n) {
    if (n < 0 || n >= GetPinCount())
        return nullptr;
    return pins->all[static_cast<size_t>(n)].get();
}

STDMETHODIMP FakeFilter::Stop() {
    Log("Stop");
    if (FAILED(config.stopResult))
        return config.stopResult;
    return CBaseFilter::Stop();
}

STDMETHODIMP FakeFilter::Pause() {
    Log("Pause");
    if (FAILED(config.pauseResult))
        return config.pauseResult;
    return CBaseFilter::Pause();
}

STDMETHODIMP FakeFilter::Run(REFERENCE_TIME tStart) {
    Log("Run");
    if (FAILED(config.runResult))
        return config.runResult;
    return CBaseFilter::Run(tStart);
}

STDMETHODIMP FakeFilter::EnumPins(IEnumPins** ppEnum) {
    if (FAILED(config.enumPinsResult)) {
        if (ppEnum != nullptr)
            *ppEnum = nullptr;
        return config.enumPinsResult;
    }
    return CBaseFilter::EnumPins(ppEnum);
}

STDMETHODIMP FakeFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (FAILED(config.queryFilterInfoResult)) {
        if (pInfo != nullptr)
            pInfo->pGraph = nullptr;
        return config.queryFilterInfoResult;
    }
    return CBaseFilter::QueryFilterInfo(pInfo);
}

STDMETHODIMP FakeFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    Log(pGraph != nullptr ? "JoinFilterGraph" : "LeaveFilterGraph");
    if (pGraph != nullptr && FAILED(config.joinFilterGraphResult)) {
        return config.joinFilterGraphResult;
    }
    return CBaseFilter::JoinFilterGraph(pGraph, pName);
}

IPin* FakeFilter::Pin(int n) {
    return GetPin(n);
}

IPin* FakeFilter::Pin(const std::wstring& name) {
    for (int i = 0; i < GetPinCount(); ++i) {
        if (config.pins[static_cast<size_t>(i)].name == name)
            return GetPin(i);
    }
    return nullptr;
}

std::wstring FakeFilter::GraphName() {
    FILTER_INFO info;
    if (FAILED(CBaseFilter::QueryFilterInfo(&info)))
        return L"";
    if (info.pGraph != nullptr)
        info.pGraph->Release();
    return info.achName;
}

HRESULT FakeFilter::Deliver(int n, const std::vector<BYTE>& bytes) {
    auto* pin = dynamic_cast<CBaseOutputPin*>(GetPin(n));
    if (pin == nullptr)
        return E_INVALIDARG;
    CMemorySample sample(bytes.data(), static_cast<LONG>(bytes.size()));
    return pin->Deliver(&sample);
}

HRESULT FakeFilter::DeliverEndOfStream(int n) {
    auto* pin = dynamic_cast<CBaseOutputPin*>(GetPin(n));
    if (pin == nullptr)
        return E_INVALIDARG;
    return pin->DeliverEndOfStream();
}

std::vector<std::vector<BYTE>> FakeFilter::Received(int n) {
    auto* pin = dynamic_cast<FakeInputPin*>(GetPin(n));
    if (pin == nullptr)
        return {};
    std::lock_guard guard(pin->mutex);
    return pin->received;
}

int FakeFilter::EndsOfStream(int n) {
    auto* pin = dynamic_cast<FakeInputPin*>(GetPin(n));
    if (pin == nullptr)
        return 0;
    std::lock_guard guard(pin->mutex);
    return pin->endsOfStream;
}
