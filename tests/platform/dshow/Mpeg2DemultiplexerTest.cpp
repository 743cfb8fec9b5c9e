// The demultiplexer's pins as the graph code handles them: outputs made and deleted by name,
// enumeration order, media types, PID maps.

#include <gtest/gtest.h>

#include <string>

#include "DemuxRig.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

class Mpeg2DemultiplexerTest : public ::testing::Test {
protected:
    void SetUp() override {
        objectsBefore = CBaseObject::ObjectsActive();
        ASSERT_EQ(CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(&filter)),
                  S_OK);
        ASSERT_EQ(filter.QueryInterface(IID_IMpeg2Demultiplexer, demux), S_OK);
    }
    void TearDown() override {
        demux.Release();
        filter.Release();
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }

    HRESULT Create(const std::wstring& name, IPin** pin = nullptr) {
        CMediaType type = PsiSectionType();
        std::wstring copy = name;
        ComPtr<IPin> created;
        HRESULT hr = demux->CreateOutputPin(&type, copy.data(), &created);
        if (pin != nullptr)
            *pin = created.Detach();
        return hr;
    }
    HRESULT Delete(const std::wstring& name) {
        std::wstring copy = name;
        return demux->DeleteOutputPin(copy.data());
    }
    // Names and directions of the pins as EnumPins gives them.
    std::vector<std::wstring> Pins() {
        std::vector<std::wstring> names;
        ComPtr<IEnumPins> pins;
        EXPECT_EQ(filter->EnumPins(&pins), S_OK);
        ComPtr<IPin> pin;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_INFO info;
            EXPECT_EQ(pin->QueryPinInfo(&info), S_OK);
            info.pFilter->Release();
            names.push_back(std::wstring(info.dir == PINDIR_INPUT ? L"in:" : L"out:") +
                            info.achName);
        }
        return names;
    }

    ClassRegistration registration = RegisterDemultiplexerClass();
    LONG objectsBefore = 0;
    ComPtr<IBaseFilter> filter;
    ComPtr<IMpeg2Demultiplexer> demux;
};

TEST_F(Mpeg2DemultiplexerTest, EnumeratesInputFirstThenOutputsInCreationOrder) {
    EXPECT_EQ(Pins(), std::vector<std::wstring>{L"in:MPEG-2 Stream"});
    for (const wchar_t* name : {L"For MS PSI", L"B", L"For Varnel's PSI"})
        ASSERT_EQ(Create(name), S_OK);
    EXPECT_EQ(Pins(), (std::vector<std::wstring>{L"in:MPEG-2 Stream", L"out:For MS PSI", L"out:B",
                                                 L"out:For Varnel's PSI"}));
    ASSERT_EQ(Delete(L"B"), S_OK);
    ASSERT_EQ(Create(L"C"), S_OK);
    EXPECT_EQ(Pins(), (std::vector<std::wstring>{L"in:MPEG-2 Stream", L"out:For MS PSI",
                                                 L"out:For Varnel's PSI", L"out:C"}));
    ComPtr<IPin> found;
    EXPECT_EQ(filter->FindPin(L"C", &found), S_OK);
    EXPECT_EQ(filter->FindPin(L"B", &found), VFW_E_NOT_FOUND);
}

// What the graph does before it makes its own outputs: take up to ten pins in one Next and
// delete every one after the first by the name it reports.
TEST_F(Mpeg2DemultiplexerTest, OutputsDeletedByNameWhileTheirPinsAreHeld) {
    for (const wchar_t* name : {L"1", L"2", L"3"})
        ASSERT_EQ(Create(name), S_OK);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);
    IPin* fetched[10] = {};
    ULONG count = 0;
    ASSERT_EQ(pins->Next(10, fetched, &count), S_FALSE);
    ASSERT_EQ(count, 4u);
    for (ULONG i = 1; i < count; ++i) {
        PIN_INFO info;
        ASSERT_EQ(fetched[i]->QueryPinInfo(&info), S_OK);
        info.pFilter->Release();
        EXPECT_EQ(demux->DeleteOutputPin(info.achName), S_OK);
    }
    EXPECT_EQ(pins->Next(1, fetched, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    EXPECT_EQ(Pins(), std::vector<std::wstring>{L"in:MPEG-2 Stream"});
    // The deleted pins still answer until their holders let go.
    PIN_INFO info;
    ASSERT_EQ(fetched[2]->QueryPinInfo(&info), S_OK);
    info.pFilter->Release();
    EXPECT_EQ(std::wstring(info.achName), L"2");
    for (ULONG i = 0; i < count; ++i)
        fetched[i]->Release();
}

TEST_F(Mpeg2DemultiplexerTest, RefusedCreationsAndDeletions) {
    ASSERT_EQ(Create(L"PSI"), S_OK);
    EXPECT_EQ(Create(L"PSI"), E_INVALIDARG) << "a name in use";
    EXPECT_EQ(Create(L"MPEG-2 Stream"), E_INVALIDARG) << "the input's name";
    EXPECT_EQ(Create(L""), E_INVALIDARG) << "no name";
    CMediaType type = PsiSectionType();
    wchar_t name[] = L"X";
    ComPtr<IPin> pin;
    EXPECT_EQ(demux->CreateOutputPin(nullptr, name, &pin), E_POINTER);
    EXPECT_EQ(demux->CreateOutputPin(&type, nullptr, &pin), E_POINTER);
    EXPECT_EQ(demux->CreateOutputPin(&type, name, nullptr), E_POINTER);

    EXPECT_EQ(Delete(L"missing"), VFW_E_NOT_FOUND);
    EXPECT_EQ(Delete(L"MPEG-2 Stream"), VFW_E_NOT_FOUND) << "the input is no output";
    EXPECT_EQ(demux->DeleteOutputPin(nullptr), E_POINTER);

    ASSERT_EQ(filter->Run(0), S_OK);
    EXPECT_EQ(Create(L"Y"), VFW_E_NOT_STOPPED);
    EXPECT_EQ(Delete(L"PSI"), VFW_E_NOT_STOPPED);
    ASSERT_EQ(filter->Stop(), S_OK);
    EXPECT_EQ(Delete(L"PSI"), S_OK);
    EXPECT_EQ(Delete(L"PSI"), VFW_E_NOT_FOUND);
    EXPECT_EQ(Pins(), std::vector<std::wstring>{L"in:MPEG-2 Stream"});
}

TEST_F(Mpeg2DemultiplexerTest, MediaTypesOfInputAndOutputs) {
    ComPtr<IPin> output;
    ASSERT_EQ(Create(L"PSI", &output), S_OK);

    CMediaType transport(&MEDIATYPE_Stream);
    transport.SetSubtype(&MEDIASUBTYPE_MPEG2_TRANSPORT);
    CMediaType bdaTransport(&MEDIATYPE_Stream);
    bdaTransport.SetSubtype(&KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT);
    struct Case {
        const char* what;
        CMediaType offered;
        bool inputTakes;
    };
    const Case cases[] = {
        {"transport stream", transport, true},
        {"BDA transport stream", bdaTransport, true},
        {"sections", PsiSectionType(), false},
    };
    ComPtr<IPin> input;
    ASSERT_EQ(filter->FindPin(L"MPEG-2 Stream", &input), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFilterConfig config;
        config.pins = {FakePinConfig::Output(L"Out", {c.offered})};
        ComPtr<FakeFilter> upstream = FakeFilter::Create(config);
        const HRESULT hr = upstream->Pin(0)->Connect(input.Get(), nullptr);
        EXPECT_EQ(SUCCEEDED(hr), c.inputTakes) << hr;
        upstream->Pin(0)->Disconnect();
        input->Disconnect();
    }

    // The output offers the type it was made with, and only that.
    FakeFilterConfig anyTaker;
    anyTaker.pins = {FakePinConfig::Input(L"In")};
    ComPtr<FakeFilter> downstream = FakeFilter::Create(anyTaker);
    transport.SetFormatType(&FORMAT_None);
    EXPECT_TRUE(FAILED(output->Connect(downstream->Pin(0), &transport)));
    ASSERT_EQ(output->Connect(downstream->Pin(0), nullptr), S_OK);
    AM_MEDIA_TYPE connected;
    ASSERT_EQ(output->ConnectionMediaType(&connected), S_OK);
    EXPECT_EQ(connected.majortype, MEDIATYPE_MPEG2_SECTIONS);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_DVB_SI);
    FreeMediaType(connected);

    // Deleting a connected output lets go of both ends.
    ASSERT_EQ(Delete(L"PSI"), S_OK);
    ComPtr<IPin> peer;
    EXPECT_EQ(downstream->Pin(0)->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(output->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
}

TEST_F(Mpeg2DemultiplexerTest, MapPidRefusals) {
    ComPtr<IPin> pin;
    ASSERT_EQ(Create(L"PSI", &pin), S_OK);
    ComPtr<IMPEG2PIDMap> map;
    ASSERT_EQ(pin.QueryInterface(IID_IMPEG2PIDMap, map), S_OK);
    struct Case {
        const char* what;
        std::vector<ULONG> pids;
        MEDIA_SAMPLE_CONTENT content;
        HRESULT expected;
    };
    const Case cases[] = {
        {"a content type that does not exist",
         {0x11},
         static_cast<MEDIA_SAMPLE_CONTENT>(7),
         E_INVALIDARG},
        {"transport packets", {0x11}, MEDIA_TRANSPORT_PACKET, E_NOTIMPL},
        {"elementary stream", {0x11}, MEDIA_ELEMENTARY_STREAM, E_NOTIMPL},
        {"transport payload", {0x11}, MEDIA_TRANSPORT_PAYLOAD, E_NOTIMPL},
        {"no PIDs", {}, MEDIA_MPEG2_PSI, E_INVALIDARG},
        {"a PID beyond 13 bits", {0x11, 0x2000}, MEDIA_MPEG2_PSI, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ULONG> pids = c.pids;
        pids.push_back(0);  // a valid pointer also for no PIDs
        EXPECT_EQ(map->MapPID(static_cast<ULONG>(c.pids.size()), pids.data(), c.content),
                  c.expected);
    }
    EXPECT_EQ(map->MapPID(1, nullptr, MEDIA_MPEG2_PSI), E_POINTER);
    ASSERT_EQ(Delete(L"PSI"), S_OK);
    ULONG pid = 0x11;
    EXPECT_EQ(map->MapPID(1, &pid, MEDIA_MPEG2_PSI), E_UNEXPECTED) << "a deleted pin";
}

// Which output gets a PID's sections, seen from the sinks.
TEST(DemuxPidMap, RefusedMapsMapNothingAndMapsMovePids) {
    DemuxRig rig({{L"A", {}}, {L"B", {}}});
    ComPtr<IMPEG2PIDMap> a, b;
    ASSERT_EQ(rig.outputPins[0].QueryInterface(IID_IMPEG2PIDMap, a), S_OK);
    ASSERT_EQ(rig.outputPins[1].QueryInterface(IID_IMPEG2PIDMap, b), S_OK);
    ULONG refused[] = {0x11, 0x2000};
    EXPECT_EQ(a->MapPID(2, refused, MEDIA_MPEG2_PSI), E_INVALIDARG);
    sibuild::SectionHeader header;
    header.tableId = 0x42;
    const Bytes sdt = sibuild::LongSection(header, Bytes(40, 0x5A));
    // Unmapped packets first: a stream's first bytes wait until they show the packet size.
    sibuild::TsPacketizer nothing(0x1FFF);
    rig.Push(nothing.Packetize({sdt, sdt, sdt}));
    sibuild::TsPacketizer packets(0x11);
    rig.Push(packets.Packetize(sdt));
    EXPECT_TRUE(rig.deliveries.empty()) << "0x11 was mapped by the refused call";

    ULONG both[] = {0x12, 0x11};
    ASSERT_EQ(a->MapPID(2, both, MEDIA_MPEG2_PSI), S_OK);
    rig.Push(packets.Packetize(sdt));
    ULONG sdtPid = 0x11;
    ASSERT_EQ(b->MapPID(1, &sdtPid, MEDIA_MPEG2_PSI), S_OK);  // while running
    rig.Push(packets.Packetize(sdt));
    const std::vector<DemuxRig::Delivery> expected{{0, sdt}, {1, sdt}};
    EXPECT_EQ(rig.deliveries, expected);
}

}  // namespace
