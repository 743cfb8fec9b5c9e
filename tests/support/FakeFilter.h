#pragma once
// FakeFilter: a configurable filter on the base classes for tests of graph code. Its pins
// have names, directions and media types, and every call a graph makes can be made to fail:
//
//     FakeFilterConfig config;
//     config.label = "tuner";                      // call log entries read "tuner.Run"
//     config.log = log;                            // shared CallLog, optional
//     config.pins = {FakePinConfig::Input(L"Input0"), FakePinConfig::Output(L"MPEG2 Transport")};
//     config.pins[1].connectedToResult = E_FAIL;   // ConnectedTo fails on that pin
//     ComPtr<FakeFilter> tuner = FakeFilter::Create(config);
//
// Output pins offer their mediaTypes (a default stream type when none are given); input pins
// accept any type unless acceptTypes is given. Input pins are rendered pins: they record each
// sample's bytes and count ends of stream, and a filter with inputs and no outputs is a
// renderer to the graph (EC_COMPLETE). Extra interfaces (IKsPropertySet on a pin,
// IBDA_Topology or ITuner on the filter) are answered from `interfaces`.
//
// The config can be changed while the filter lives (Config()), e.g. to switch a failure off again
// before a teardown that needs the call: the graph manager itself uses EnumPins, ConnectedTo
// and Disconnect to take a removed filter's connections apart, and a connection it cannot undo
// keeps both filters alive (LeakSanitizer reports them).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/DeviceRegistry.h"
#include "platform/dshow/MediaType.h"
#include "support/CallLog.h"

// Interfaces a fake answers besides its own: QueryInterface(iid) gives `object` with a new
// reference. `object` must point to the interface iid names.
struct FakeInterface {
    IID iid;
    ComPtr<IUnknown> object;
    template <typename I>
    static FakeInterface Of(REFIID iid, I* object) {
        return FakeInterface{iid, ComPtr<IUnknown>(static_cast<IUnknown*>(object))};
    }
};

struct FakePinConfig {
    std::wstring name;
    PIN_DIRECTION direction = PINDIR_INPUT;
    std::vector<CMediaType> mediaTypes;   // output pins: offered, in order
    std::vector<CMediaType> acceptTypes;  // input pins: accepted (empty: any)
    // Failures: the call returns this instead of doing its work (S_OK: works).
    HRESULT queryPinInfoResult = S_OK;
    HRESULT connectedToResult = S_OK;
    HRESULT connectResult = S_OK;
    HRESULT receiveConnectionResult = S_OK;
    HRESULT disconnectResult = S_OK;
    HRESULT receiveResult = S_OK;  // what Receive answers (the sample is recorded anyway)
    // Runs in Receive (on the deliverer's thread) after the sample was recorded; its result is
    // then what Receive answers.
    std::function<HRESULT(IMediaSample*)> onReceive;
    std::vector<FakeInterface> interfaces;

    static FakePinConfig Input(std::wstring name);
    static FakePinConfig Output(std::wstring name, std::vector<CMediaType> types = {});
};

class FakeFilter;

struct FakeFilterConfig {
    std::string label = "fake";
    std::shared_ptr<CallLog> log;
    std::vector<FakePinConfig> pins;
    CLSID clsid = GUID_NULL;
    HRESULT enumPinsResult = S_OK;
    HRESULT queryFilterInfoResult = S_OK;
    HRESULT joinFilterGraphResult = S_OK;
    HRESULT pauseResult = S_OK;
    HRESULT runResult = S_OK;
    HRESULT stopResult = S_OK;
    std::vector<FakeInterface> interfaces;
    // Called with every new instance (e.g. one made by a device bind), before it is handed out.
    std::function<void(FakeFilter*)> onCreated;
};

// A stream of bytes: the type output pins offer when the config gives none.
CMediaType FakeStreamType();

class FakeFilter : public CBaseFilter {
public:
    static ComPtr<FakeFilter> Create(FakeFilterConfig config);
    // A device whose every bind makes a new FakeFilter from config.
    static DeviceDescription Device(std::optional<std::wstring> friendlyName,
                                    FakeFilterConfig config);
    // For CoCreateInstance registrations.
    static ClassFactory Factory(FakeFilterConfig config);

    explicit FakeFilter(FakeFilterConfig config);
    ~FakeFilter() override;

    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;

    FakeFilterConfig& Config() { return config; }
    // The state lock the base classes take (for tests of locking against delivery).
    CCritSec& StateLock() { return lock; }
    FakePinConfig& PinConfig(int n) { return config.pins.at(static_cast<size_t>(n)); }
    // The pin as IPin (no new reference), by position or name; null when there is none.
    IPin* Pin(int n);
    IPin* Pin(const std::wstring& name);
    // The name the graph gave the filter ("" when not in a graph).
    std::wstring GraphName();
    FILTER_STATE State() const { return m_State; }

    // Delivers bytes as one sample on output pin n; the peer's Receive result.
    HRESULT Deliver(int n, const std::vector<BYTE>& bytes);
    HRESULT DeliverEndOfStream(int n);
    // What input pin n received, sample by sample, and how many ends of stream.
    std::vector<std::vector<BYTE>> Received(int n);
    int EndsOfStream(int n);

    void Log(const std::string& method);

protected:
    FakeFilterConfig config;
    CCritSec lock;

private:
    class Pins;
    std::unique_ptr<Pins> pins;
};
