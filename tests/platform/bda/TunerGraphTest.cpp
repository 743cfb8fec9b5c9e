// The network provider and the tuner device filter: pins, tunes passed down, signal statistics
// and the vendor property, with a source that stands in for the hardware.

#include <gtest/gtest.h>

#include <memory>

#include "FakeTunerSource.h"
#include "platform/bda/TunerDevice.h"
#include "platform/bda/TunerDeviceFilter.h"
#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/GraphInterfaces.h"
#include "support/FakeFilter.h"

namespace {

struct PinSeen {
    std::wstring name;
    PIN_DIRECTION direction;
    bool operator==(const PinSeen&) const = default;
};

std::vector<PinSeen> PinsOf(IBaseFilter* filter) {
    std::vector<PinSeen> pins;
    ComPtr<IEnumPins> pinEnum;
    EXPECT_EQ(filter->EnumPins(&pinEnum), S_OK);
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK) {
        PIN_INFO info{};
        pin->QueryPinInfo(&info);
        info.pFilter->Release();
        pins.push_back({info.achName, info.dir});
    }
    return pins;
}

ComPtr<IPin> PinNamed(IBaseFilter* filter, const wchar_t* name) {
    ComPtr<IPin> pin;
    filter->FindPin(name, &pin);
    return pin;
}

ComPtr<IBaseFilter> MakeTuner(std::shared_ptr<FakeTunerSource> source) {
    ComPtr<IBaseFilter> tuner;
    EXPECT_EQ(CreateComObject<TunerDeviceFilter>(IID_IBaseFilter, reinterpret_cast<void**>(&tuner),
                                                 std::shared_ptr<TunerSource>(source)),
              S_OK);
    return tuner;
}

// A tune request on a DVB-S tuning space with the graph's LNB, for the given locator values;
// without a locator of its own when `frequency` is 0 (the space's default then has 10714000).
ComPtr<ITuneRequest> Request(LONG frequency) {
    ComPtr<IDVBSTuningSpace> space;
    CoCreateInstance(CLSID_DVBSTuningSpace, nullptr, CLSCTX_ALL, IID_IDVBSTuningSpace,
                     reinterpret_cast<void**>(&space));
    space->put_LowOscillator(9750000);
    space->put_HighOscillator(10600000);
    space->put_LNBSwitch(11700000);
    ComPtr<IDVBSLocator> fallback;
    CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_ALL, IID_IDVBSLocator,
                     reinterpret_cast<void**>(&fallback));
    fallback->put_CarrierFrequency(10714000);
    space->put_DefaultLocator(fallback.Get());
    ComPtr<ITuneRequest> request;
    space->CreateTuneRequest(&request);
    if (frequency != 0) {
        ComPtr<IDVBSLocator> locator;
        CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_ALL, IID_IDVBSLocator,
                         reinterpret_cast<void**>(&locator));
        locator->put_CarrierFrequency(frequency);
        locator->put_SymbolRate(27500);
        locator->put_SignalPolarisation(BDA_POLARISATION_LINEAR_V);
        locator->put_InnerFEC(BDA_FEC_VITERBI);
        locator->put_Modulation(BDA_MOD_QPSK);
        request->put_Locator(locator.Get());
    }
    return request;
}

TuneParameters Expected(LONG frequency) {
    TuneParameters t;
    t.carrierFrequency = frequency;
    t.symbolRate = 27500;
    t.polarisation = BDA_POLARISATION_LINEAR_V;
    t.innerFec = BDA_FEC_VITERBI;
    t.modulation = BDA_MOD_QPSK;
    t.lowOscillator = 9750000;
    t.highOscillator = 10600000;
    t.lnbSwitch = 11700000;
    return t;
}

class TunerGraph : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_DVBSNetworkProvider, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(&provider)),
                  S_OK);
        ASSERT_EQ(provider.QueryInterface(IID_ITuner, tunerControl), S_OK);
        ASSERT_EQ(graph->AddFilter(provider.Get(), L"Network Provider"), S_OK);
    }
    void TearDown() override {
        tunerControl = nullptr;
        provider = nullptr;
        graph = nullptr;
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }
    HRESULT ConnectTuner(IBaseFilter* tuner) {
        graph->AddFilter(tuner, L"Tuner");
        return graph->Connect(PinNamed(provider.Get(), L"Antenna Out").Get(),
                              PinNamed(tuner, L"Input0").Get());
    }

    const LONG objectsBefore = CBaseObject::ObjectsActive();
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> provider;
    ComPtr<ITuner> tunerControl;
};

TEST_F(TunerGraph, FiltersShowTheirPinsInTheOrderTheGraphRelisOn) {
    EXPECT_EQ(PinsOf(provider.Get()), (std::vector<PinSeen>{{L"Antenna Out", PINDIR_OUTPUT}}));
    CLSID clsid{};
    provider->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_DVBSNetworkProvider);
    // The graph takes the first pin a tuner enumerates as its transport output.
    auto tuner = MakeTuner(std::make_shared<FakeTunerSource>());
    EXPECT_EQ(PinsOf(tuner.Get()), (std::vector<PinSeen>{{L"MPEG2 Transport", PINDIR_OUTPUT},
                                                         {L"Input0", PINDIR_INPUT}}));
}

TEST_F(TunerGraph, ARequestPutBeforeTheTunerIsConnectedIsAppliedWhenItConnects) {
    auto source = std::make_shared<FakeTunerSource>();
    auto tuner = MakeTuner(source);
    ASSERT_EQ(tunerControl->put_TuneRequest(Request(12303000).Get()), S_OK);
    EXPECT_TRUE(source->Tunes().empty());
    ASSERT_EQ(ConnectTuner(tuner.Get()), S_OK);
    EXPECT_EQ(source->Tunes(), std::vector<TuneParameters>{Expected(12303000)});

    // Later requests go straight down; the request is the one the provider holds.
    auto request = Request(11954000);
    ASSERT_EQ(tunerControl->put_TuneRequest(request.Get()), S_OK);
    EXPECT_EQ(source->Tunes(),
              (std::vector<TuneParameters>{Expected(12303000), Expected(11954000)}));
    ComPtr<ITuneRequest> held;
    ASSERT_EQ(tunerControl->get_TuneRequest(&held), S_OK);
    EXPECT_EQ(held, request);
}

TEST_F(TunerGraph, TuneRequestsWithoutALocatorOrThatTheTunerRefuses) {
    auto source = std::make_shared<FakeTunerSource>();
    auto tuner = MakeTuner(source);
    ASSERT_EQ(ConnectTuner(tuner.Get()), S_OK);

    // Without a locator of its own the request tunes to the space's default locator.
    ASSERT_EQ(tunerControl->put_TuneRequest(Request(0).Get()), S_OK);
    ASSERT_EQ(source->Tunes().size(), 1u);
    EXPECT_EQ(source->Tunes()[0].carrierFrequency, 10714000);
    EXPECT_EQ(source->Tunes()[0].symbolRate, -1);
    EXPECT_EQ(source->Tunes()[0].lnbSwitch, 11700000);

    // A request with no locator at all has nothing to tune to.
    ComPtr<IDVBSTuningSpace> bare;
    CoCreateInstance(CLSID_DVBSTuningSpace, nullptr, CLSCTX_ALL, IID_IDVBSTuningSpace,
                     reinterpret_cast<void**>(&bare));
    ComPtr<ITuneRequest> empty;
    bare->CreateTuneRequest(&empty);
    EXPECT_EQ(tunerControl->put_TuneRequest(empty.Get()), E_INVALIDARG);
    EXPECT_EQ(tunerControl->put_TuneRequest(nullptr), E_POINTER);
    EXPECT_EQ(source->Tunes().size(), 1u);

    source->tuneResult = E_FAIL;
    EXPECT_EQ(tunerControl->put_TuneRequest(Request(12303000).Get()), E_FAIL);
}

TEST_F(TunerGraph, AProviderConnectsToATunerThatTakesNoTunesFromIt) {
    FakeFilterConfig config;
    config.pins = {FakePinConfig::Input(L"Input0")};
    auto fake = FakeFilter::Create(config);
    ASSERT_EQ(tunerControl->put_TuneRequest(Request(12303000).Get()), S_OK);
    EXPECT_EQ(ConnectTuner(fake.Get()), S_OK);
    EXPECT_EQ(tunerControl->put_TuneRequest(Request(12303000).Get()), S_OK);
}

TEST_F(TunerGraph, OnlyTheirOwnTypesConnect) {
    auto tuner = MakeTuner(std::make_shared<FakeTunerSource>());
    graph->AddFilter(tuner.Get(), L"Tuner");
    // A stream output cannot feed the antenna input...
    FakeFilterConfig upstream;
    upstream.pins = {FakePinConfig::Output(L"Out")};
    auto source = FakeFilter::Create(upstream);
    graph->AddFilter(source.Get(), L"Source");
    EXPECT_LT(graph->Connect(source->Pin(0), PinNamed(tuner.Get(), L"Input0").Get()), 0);
    // ...and the transport output offers both transport stream subtypes, the BDA one first.
    FakeFilterConfig downstream;
    downstream.pins = {FakePinConfig::Input(L"In")};
    downstream.pins[0].acceptTypes = {TransportStreamType(1)};
    auto demux = FakeFilter::Create(downstream);
    graph->AddFilter(demux.Get(), L"Demux");
    EXPECT_EQ(graph->Connect(PinNamed(tuner.Get(), L"MPEG2 Transport").Get(), demux->Pin(0)), S_OK);
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(demux->Pin(0)->ConnectionMediaType(&type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
    EXPECT_EQ(type.subtype, MEDIASUBTYPE_MPEG2_TRANSPORT);
    FreeMediaType(type);
    EXPECT_EQ(*TransportStreamType(0).Subtype(), KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT);
}

TEST_F(TunerGraph, SignalStatisticsComeFromTheSource) {
    auto source = std::make_shared<FakeTunerSource>();
    auto tuner = MakeTuner(source);
    ComPtr<IBDA_Topology> topology;
    ASSERT_EQ(tuner.QueryInterface(IID_IBDA_Topology, topology), S_OK);
    ComPtr<IUnknown> node;
    ASSERT_EQ(topology->GetControlNode(0, 1, 0, &node), S_OK);
    ComPtr<IBDA_SignalStatistics> statistics;
    ASSERT_EQ(node.QueryInterface(IID_IBDA_SignalStatistics, statistics), S_OK);
    BOOLEAN locked = 0;
    LONG quality = 0, strength = 0;
    EXPECT_EQ(statistics->get_SignalLocked(&locked), S_OK);
    EXPECT_EQ(statistics->get_SignalQuality(&quality), S_OK);
    EXPECT_EQ(statistics->get_SignalStrength(&strength), S_OK);
    EXPECT_EQ(locked, 1);
    EXPECT_EQ(quality, 87);
    EXPECT_EQ(strength, -3000);

    source->statisticsResult = E_FAIL;
    quality = 5;
    EXPECT_EQ(statistics->get_SignalQuality(&quality), E_FAIL);
    EXPECT_EQ(quality, 5);

    for (auto [in, out, type] : {std::tuple{1u, 1u, 0u}, {0u, 0u, 0u}, {0u, 1u, 2u}}) {
        ComPtr<IUnknown> none;
        EXPECT_EQ(topology->GetControlNode(in, out, type, &none), E_INVALIDARG);
        EXPECT_FALSE(none);
    }
    // The node keeps the filter alive.
    topology = nullptr;
    tuner = nullptr;
    source->statisticsResult = S_OK;
    EXPECT_EQ(statistics->get_SignalLocked(&locked), S_OK);
}

TEST_F(TunerGraph, TheAntennaPinTakesTheVendorPidFilterCommand) {
    auto tuner = MakeTuner(std::make_shared<FakeTunerSource>());
    ComPtr<IKsPropertySet> input, output;
    ASSERT_EQ(PinNamed(tuner.Get(), L"Input0").QueryInterface(IID_IKsPropertySet, input), S_OK);
    ASSERT_EQ(PinNamed(tuner.Get(), L"MPEG2 Transport").QueryInterface(IID_IKsPropertySet, output),
              S_OK);

    // The command record points at a bytes-returned count that a driver may write.
    uint32_t bytesReturned = 0;
    struct {
        GUID command;
        uint32_t controlCode;
        void* count;
    } record{GUID_NULL, 0xAA0001C4, &bytesReturned};
    uint8_t instance[24] = {};
    EXPECT_EQ(input->Set(KSPROPSETID_VendorPidFilter, 0, instance, sizeof instance, &record,
                         sizeof record),
              S_OK);
    EXPECT_EQ(bytesReturned, 0u);
    EXPECT_EQ(input->Set(KSPROPSETID_VendorPidFilter, 1, instance, sizeof instance, &record,
                         sizeof record),
              E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(input->Set(IID_IKsPropertySet, 0, instance, sizeof instance, &record, sizeof record),
              E_PROP_SET_UNSUPPORTED);
    EXPECT_EQ(output->Set(KSPROPSETID_VendorPidFilter, 0, instance, sizeof instance, &record,
                          sizeof record),
              E_PROP_SET_UNSUPPORTED);
}

}  // namespace
