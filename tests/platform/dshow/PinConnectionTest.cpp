// The connection handshake, delivery and enumeration of the base classes, seen through
// FakeFilter (which adds nothing to them unless a failure is configured).
#include <gtest/gtest.h>

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/MediaType.h"
#include "platform/dshow/MemorySample.h"
#include "support/FakeFilter.h"

namespace {

CMediaType SectionsType() {
    CMediaType type(&MEDIATYPE_MPEG2_SECTIONS);
    type.SetSubtype(&MEDIASUBTYPE_DVB_SI);
    return type;
}

CMediaType TransportType() {
    CMediaType type(&MEDIATYPE_Stream);
    type.SetSubtype(&KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT);
    type.SetFormatType(&FORMAT_None);
    return type;
}

struct Pair {
    ComPtr<FakeFilter> upstream;
    ComPtr<FakeFilter> downstream;
    IPin* out() { return upstream->Pin(0); }
    IPin* in() { return downstream->Pin(0); }
    ~Pair() {
        // Connections hold both filters: undo them so the filters can go.
        out()->Disconnect();
        in()->Disconnect();
    }
};

Pair MakePair(std::vector<CMediaType> offered, std::vector<CMediaType> accepted) {
    FakeFilterConfig up;
    up.label = "up";
    up.pins = {FakePinConfig::Output(L"Out", std::move(offered))};
    FakeFilterConfig down;
    down.label = "down";
    down.pins = {FakePinConfig::Input(L"In")};
    down.pins[0].acceptTypes = std::move(accepted);
    return Pair{FakeFilter::Create(up), FakeFilter::Create(down)};
}

TEST(PinConnection, ConnectsWithTheFirstOfferedTypeTheInputAccepts) {
    Pair pair = MakePair({TransportType(), SectionsType()}, {SectionsType()});
    ASSERT_EQ(pair.out()->Connect(pair.in(), nullptr), S_OK);

    ComPtr<IPin> peer;
    ASSERT_EQ(pair.out()->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer.Get(), pair.in());
    ASSERT_EQ(pair.in()->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer.Get(), pair.out());
    peer.Release();

    for (IPin* pin : {pair.out(), pair.in()}) {
        AM_MEDIA_TYPE connected;
        ASSERT_EQ(pin->ConnectionMediaType(&connected), S_OK);
        EXPECT_EQ(connected.majortype, MEDIATYPE_MPEG2_SECTIONS);
        EXPECT_EQ(connected.subtype, MEDIASUBTYPE_DVB_SI);
        FreeMediaType(connected);
    }
}

TEST(PinConnection, RefusalsLeaveBothPinsFree) {
    struct Case {
        const char* what;
        std::vector<CMediaType> offered;
        std::vector<CMediaType> accepted;
        HRESULT receiveConnection;
        HRESULT expected;
    };
    const Case cases[] = {
        {"no offered type accepted",
         {TransportType()},
         {SectionsType()},
         S_OK,
         VFW_E_NO_ACCEPTABLE_TYPES},
        {"input refuses the connection", {SectionsType()}, {}, E_ACCESSDENIED, E_ACCESSDENIED},
        {"input refuses with a type error",
         {SectionsType()},
         {},
         VFW_E_TYPE_NOT_ACCEPTED,
         VFW_E_NO_ACCEPTABLE_TYPES},
    };
    for (const Case& c : cases) {
        Pair pair = MakePair(c.offered, c.accepted);
        pair.downstream->PinConfig(0).receiveConnectionResult = c.receiveConnection;
        EXPECT_EQ(pair.out()->Connect(pair.in(), nullptr), c.expected) << c.what;
        ComPtr<IPin> peer;
        EXPECT_EQ(pair.out()->ConnectedTo(&peer), VFW_E_NOT_CONNECTED) << c.what;
        EXPECT_FALSE(peer);
        EXPECT_EQ(pair.in()->ConnectedTo(&peer), VFW_E_NOT_CONNECTED) << c.what;
        AM_MEDIA_TYPE none;
        EXPECT_EQ(pair.out()->ConnectionMediaType(&none), VFW_E_NOT_CONNECTED);
        EXPECT_EQ(none.majortype, GUID_NULL);
    }
}

TEST(PinConnection, GivenTypeRestrictsWhatIsTried) {
    // Fully specified: only that type, even if the pin does not offer it first.
    Pair full = MakePair({SectionsType(), TransportType()}, {});
    const CMediaType transport = TransportType();
    ASSERT_EQ(full.out()->Connect(full.in(), &transport), S_OK);
    AM_MEDIA_TYPE connected;
    ASSERT_EQ(full.in()->ConnectionMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT);
    FreeMediaType(connected);

    // Partly specified (no format type): the offered types that match it.
    Pair partial = MakePair({TransportType(), SectionsType()}, {});
    const CMediaType sectionsOnly(&MEDIATYPE_MPEG2_SECTIONS);
    ASSERT_EQ(partial.out()->Connect(partial.in(), &sectionsOnly), S_OK);
    ASSERT_EQ(partial.in()->ConnectionMediaType(&connected), S_OK);
    EXPECT_EQ(connected.majortype, MEDIATYPE_MPEG2_SECTIONS);
    FreeMediaType(connected);
}

TEST(PinConnection, StateAndDirectionRules) {
    Pair pair = MakePair({SectionsType()}, {});
    // Same direction on both sides.
    FakeFilterConfig other;
    other.pins = {FakePinConfig::Output(L"Out")};
    ComPtr<FakeFilter> second = FakeFilter::Create(other);
    EXPECT_EQ(pair.out()->Connect(second->Pin(0), nullptr), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(pair.out()->Connect(nullptr, nullptr), E_POINTER);

    // A running filter does not connect or disconnect.
    ASSERT_EQ(pair.upstream->Pause(), S_OK);
    EXPECT_EQ(pair.out()->Connect(pair.in(), nullptr), VFW_E_NOT_STOPPED);
    ASSERT_EQ(pair.upstream->Stop(), S_OK);
    ASSERT_EQ(pair.downstream->Run(0), S_OK);
    EXPECT_EQ(pair.out()->Connect(pair.in(), nullptr), VFW_E_NOT_STOPPED);
    ASSERT_EQ(pair.downstream->Stop(), S_OK);

    ASSERT_EQ(pair.out()->Connect(pair.in(), nullptr), S_OK);
    EXPECT_EQ(pair.out()->Connect(pair.in(), nullptr), VFW_E_ALREADY_CONNECTED);
    ASSERT_EQ(pair.upstream->Run(0), S_OK);
    EXPECT_EQ(pair.out()->Disconnect(), VFW_E_NOT_STOPPED);
    ASSERT_EQ(pair.upstream->Stop(), S_OK);

    // Disconnect undoes one side only; S_FALSE when there was nothing.
    EXPECT_EQ(pair.out()->Disconnect(), S_OK);
    EXPECT_EQ(pair.out()->Disconnect(), S_FALSE);
    ComPtr<IPin> peer;
    EXPECT_EQ(pair.in()->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(pair.in()->Disconnect(), S_OK);
}

TEST(PinConnection, ConnectionKeepsThePeerFilterAlive) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    {
        Pair pair = MakePair({SectionsType()}, {});
        ASSERT_EQ(pair.out()->Connect(pair.in(), nullptr), S_OK);
        IBaseFilter* downstream = pair.downstream.Detach();
        // Our reference is gone but the upstream pin still holds the filter.
        EXPECT_GT(downstream->Release(), 0u);
        pair.downstream = ComPtr<FakeFilter>(static_cast<FakeFilter*>(downstream));
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

TEST(PinConnection, DeliversSamplesAndEndOfStreamSynchronously) {
    Pair pair = MakePair({SectionsType()}, {});
    EXPECT_EQ(pair.upstream->Deliver(0, {1, 2}), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(pair.upstream->DeliverEndOfStream(0), VFW_E_NOT_CONNECTED);
    ASSERT_EQ(pair.out()->Connect(pair.in(), nullptr), S_OK);
    EXPECT_EQ(pair.upstream->Deliver(0, {1, 2, 3}), S_OK);
    EXPECT_EQ(pair.upstream->Deliver(0, {}), S_OK);
    pair.downstream->PinConfig(0).receiveResult = S_FALSE;
    EXPECT_EQ(pair.upstream->Deliver(0, {4}), S_FALSE);
    const auto received = pair.downstream->Received(0);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], (std::vector<BYTE>{1, 2, 3}));
    EXPECT_TRUE(received[1].empty());
    EXPECT_EQ(received[2], (std::vector<BYTE>{4}));
    // Stopped renderer: the end of stream is refused by the state check.
    EXPECT_EQ(pair.upstream->DeliverEndOfStream(0), VFW_E_WRONG_STATE);
    ASSERT_EQ(pair.downstream->Pause(), S_OK);
    EXPECT_EQ(pair.upstream->DeliverEndOfStream(0), S_OK);
    EXPECT_EQ(pair.downstream->EndsOfStream(0), 2);
    ASSERT_EQ(pair.downstream->Stop(), S_OK);
}

TEST(PinConnection, ReceiveMultipleStopsAtTheFirstSampleNotTakenWithOk) {
    Pair pair = MakePair({SectionsType()}, {});
    ComPtr<IMemInputPin> input;
    ASSERT_EQ(ComPtr<IPin>(pair.in()).QueryInterface(IID_IMemInputPin, input), S_OK);
    const BYTE a[] = {0xA};
    const BYTE b[] = {0xB};
    CMemorySample first(a, 1);
    CMemorySample second(b, 1);
    IMediaSample* batch[] = {&first, &second};
    LONG processed = -1;
    EXPECT_EQ(input->ReceiveMultiple(batch, 2, &processed), S_OK);
    EXPECT_EQ(processed, 2);
    pair.downstream->PinConfig(0).receiveResult = S_FALSE;
    EXPECT_EQ(input->ReceiveMultiple(batch, 2, &processed), S_FALSE);
    EXPECT_EQ(processed, 0);
    EXPECT_EQ(pair.downstream->Received(0).size(), 3u);
}

TEST(PinConnection, ReceiveCanBlockFollowsTheOutputPins) {
    // A renderer (no output pin) may block.
    Pair pair = MakePair({SectionsType()}, {});
    ComPtr<IMemInputPin> rendererInput;
    ASSERT_EQ(ComPtr<IPin>(pair.in()).QueryInterface(IID_IMemInputPin, rendererInput), S_OK);
    EXPECT_EQ(rendererInput->ReceiveCanBlock(), S_OK);

    // A filter whose outputs lead nowhere does not; one that feeds a renderer may.
    FakeFilterConfig transform;
    transform.pins = {FakePinConfig::Input(L"In"), FakePinConfig::Output(L"Out", {SectionsType()})};
    ComPtr<FakeFilter> middle = FakeFilter::Create(transform);
    ComPtr<IMemInputPin> middleInput;
    ASSERT_EQ(ComPtr<IPin>(middle->Pin(0)).QueryInterface(IID_IMemInputPin, middleInput), S_OK);
    EXPECT_EQ(middleInput->ReceiveCanBlock(), S_FALSE);
    ASSERT_EQ(middle->Pin(1)->Connect(pair.in(), nullptr), S_OK);
    EXPECT_EQ(middleInput->ReceiveCanBlock(), S_OK);
    middle->Pin(1)->Disconnect();
    pair.in()->Disconnect();
}

TEST(FilterPins, EnumerationGoesOutOfSyncWhenThePinsChange) {
    FakeFilterConfig config;
    config.pins = {FakePinConfig::Input(L"In"), FakePinConfig::Output(L"A"),
                   FakePinConfig::Output(L"B")};
    ComPtr<FakeFilter> filter = FakeFilter::Create(config);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);

    IPin* fetched[4] = {};
    ULONG count = 99;
    EXPECT_EQ(pins->Next(2, fetched, nullptr), E_POINTER);  // more than one needs a count
    EXPECT_EQ(pins->Next(2, fetched, &count), S_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(fetched[0], filter->Pin(0));
    EXPECT_EQ(fetched[1], filter->Pin(1));
    EXPECT_EQ(pins->Next(4, fetched + 2, &count), S_FALSE);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(fetched[2], filter->Pin(2));
    for (int i = 0; i < 3; ++i)
        fetched[i]->Release();

    filter->IncrementPinVersion();
    ComPtr<IPin> pin;
    EXPECT_EQ(pins->Next(1, &pin, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    EXPECT_EQ(pins->Reset(), S_OK);
    EXPECT_EQ(pins->Next(1, &pin, nullptr), S_OK);
    EXPECT_EQ(pin.Get(), filter->Pin(0));
}

TEST(FilterPins, FindPinAndFilterInfo) {
    FakeFilterConfig config;
    config.pins = {FakePinConfig::Input(L"Input0"), FakePinConfig::Output(L"MPEG2 Transport")};
    ComPtr<FakeFilter> filter = FakeFilter::Create(config);
    ComPtr<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"MPEG2 Transport", &pin), S_OK);
    EXPECT_EQ(pin.Get(), filter->Pin(1));
    EXPECT_EQ(filter->FindPin(L"mpeg2 transport", &pin), VFW_E_NOT_FOUND);
    EXPECT_FALSE(pin);

    FILTER_INFO info;
    ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.achName), L"");
    EXPECT_EQ(info.pGraph, nullptr);
    // A long name is cut to fit, terminated.
    const std::wstring longName(200, L'x');
    ASSERT_EQ(filter->JoinFilterGraph(nullptr, longName.c_str()), S_OK);
    ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.achName), longName.substr(0, MAX_FILTER_NAME - 1));
}

}  // namespace
