#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intake/DVBFilter.h"
#include "intake/DVBFilterInputPin.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/MemorySample.h"
#include "platform/system/TickCount.h"
#include "sibuild/SdtBuilder.h"
#include "support/ExactBuffer.h"
#include "support/FakeFilter.h"
#include "support/MemoryStream.h"

using sibuild::Bytes;

namespace {

// An SDT section whose one service is new the first time it is parsed.
Bytes ServiceSection(uint16_t serviceId) {
    sibuild::SdtService service;
    service.serviceId = serviceId;
    service.descriptors = sibuild::ServiceDescriptor(0x01, "", "S" + std::to_string(serviceId));
    return sibuild::SdtSection({}, {service});
}

// A proxy with a reference held by the test, so that it goes when the test ends.
class SinkFilter : public ::testing::Test {
protected:
    SinkFilter() : proxy(new DVBFilterToParserProxy(document.File())) {
        reference = proxy->GetOwner();
    }

    IBaseFilter* Filter() { return proxy->filter; }
    IPin* Pin() { return proxy->pin; }
    IMemInputPin* Input() { return proxy->pin; }

    HRESULT Receive(const Bytes& bytes) {
        ExactBuffer buffer(bytes);
        CMemorySample sample(buffer.data(), buffer.size());
        return Input()->Receive(&sample);
    }

    MemoryStream document;
    DVBFilterToParserProxy* proxy;
    ComPtr<IUnknown> reference;
};

}  // namespace

TEST_F(SinkFilter, TheProxyCarriesTheOneCountOfAllThree) {
    const LONG objects = CBaseObject::ObjectsActive();
    auto* fresh = new DVBFilterToParserProxy(document.File());
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects + 3);  // proxy, filter, pin
    IBaseFilter* filter = fresh->filter;
    IPin* pin = fresh->pin;
    EXPECT_EQ(filter->AddRef(), 1u);
    EXPECT_EQ(pin->AddRef(), 2u);
    EXPECT_EQ(fresh->GetOwner()->AddRef(), 3u);
    EXPECT_EQ(pin->Release(), 2u);
    EXPECT_EQ(fresh->GetOwner()->Release(), 1u);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects + 3);
    // The last release, made on the filter, ends all three.
    EXPECT_EQ(filter->Release(), 0u);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects);
}

TEST_F(SinkFilter, QueryInterfaceOnTheFilterGivesOnlyTheProxy) {
    void* result = reinterpret_cast<void*>(1);
    EXPECT_EQ(Filter()->QueryInterface(IID_IBaseFilter, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(Filter()->QueryInterface(IID_IMediaFilter, &result), E_NOINTERFACE);
    EXPECT_EQ(Filter()->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    ComPtr<IUnknown> identity;
    ASSERT_EQ(Filter()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity.Get(), proxy->GetOwner());
    ComPtr<IUnknown> proxyIdentity;
    EXPECT_EQ(proxy->GetOwner()->QueryInterface(IID_IBaseFilter,
                                                reinterpret_cast<void**>(&proxyIdentity)),
              E_NOINTERFACE);
}

TEST_F(SinkFilter, ThePinAnswersItsOwnInterfaces) {
    ComPtr<IPin> pin;
    ComPtr<IMemInputPin> input;
    EXPECT_EQ(Pin()->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pin)), S_OK);
    EXPECT_EQ(Pin()->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input)), S_OK);
    EXPECT_EQ(pin.Get(), Pin());
    ComPtr<IBaseFilter> notThere;
    EXPECT_EQ(Pin()->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&notThere)),
              E_NOINTERFACE);
}

TEST_F(SinkFilter, OnePinNamedInput) {
    EXPECT_EQ(proxy->filter->GetPinCount(), 1);
    EXPECT_EQ(proxy->filter->GetPin(0), proxy->pin);
    for (int n : {1, -1, 2, 1000})
        EXPECT_EQ(proxy->filter->GetPin(n), nullptr) << n;

    PIN_INFO info;
    ASSERT_EQ(Pin()->QueryPinInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"Input");
    EXPECT_EQ(info.dir, PINDIR_INPUT);
    EXPECT_EQ(info.pFilter, Filter());
    info.pFilter->Release();

    ComPtr<IPin> found;
    EXPECT_EQ(Filter()->FindPin(L"Input", &found), S_OK);
    EXPECT_EQ(found.Get(), Pin());

    CLSID clsid;
    ASSERT_EQ(Filter()->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, GuidFromText("{36A5F770-FE4C-11CE-A8ED-00AA002FECB0}"));
}

TEST_F(SinkFilter, AcceptsEveryMediaTypeAndDoesNotBlock) {
    CMediaType sections(&MEDIATYPE_MPEG2_SECTIONS);
    sections.SetSubtype(&MEDIASUBTYPE_DVB_SI);
    for (const CMediaType& type : {CMediaType(), FakeStreamType(), sections})
        EXPECT_EQ(proxy->pin->CheckMediaType(&type), S_OK);
    EXPECT_EQ(Input()->ReceiveCanBlock(), S_FALSE);
}

TEST_F(SinkFilter, ReceivingParsesInPlaceWhateverTheFilterState) {
    // The filter was never paused or run: the base pin would refuse the sample.
    const DWORD before = GetTickCount();
    EXPECT_EQ(Receive(ServiceSection(7)), S_OK);
    const DWORD after = GetTickCount();
    EXPECT_TRUE(proxy->parser.services.contains(7));
    EXPECT_NE(document.Text().find("<channel id=\"7\">"), std::string::npos);
    const DWORD tick = proxy->lastActivityTick;
    EXPECT_LE(tick - before, after - before);  // taken between the two, modulo 2^32
}

TEST_F(SinkFilter, TheTickMovesOnlyForNewData) {
    ASSERT_EQ(Receive(ServiceSection(1)), S_OK);
    const std::string written = document.Text();
    struct Case {
        const char* what;
        Bytes sample;
    } cases[] = {
        {"empty sample", {}},
        {"a section already seen", ServiceSection(1)},
        {"a section with a bad CRC",
         [] {
             Bytes section = ServiceSection(2);
             section.back() ^= 1;
             return section;
         }()},
        {"a partial header", {0x42, 0xF0}},
    };
    for (const Case& c : cases) {
        proxy->lastActivityTick = 12345;
        EXPECT_EQ(Receive(c.sample), S_OK) << c.what;
        EXPECT_EQ(proxy->lastActivityTick.load(), 12345u) << c.what;
    }
    EXPECT_EQ(document.Text(), written);

    // One new section among old ones is enough.
    proxy->lastActivityTick = 12345;
    Bytes mixed = sibuild::Concat({ServiceSection(1), ServiceSection(3), ServiceSection(1)});
    EXPECT_EQ(Receive(mixed), S_OK);
    EXPECT_NE(proxy->lastActivityTick.load(), 12345u);
    EXPECT_TRUE(proxy->parser.services.contains(3));
}

TEST_F(SinkFilter, ASampleWithoutDataOrNoSampleIsHarmless) {
    EXPECT_EQ(Input()->Receive(nullptr), S_OK);
    CMemorySample noBytes(nullptr, 100);
    EXPECT_EQ(Input()->Receive(&noBytes), S_OK);
    const Bytes section = ServiceSection(4);
    CMemorySample negative(section.data(), -5);
    EXPECT_EQ(Input()->Receive(&negative), S_OK);
    EXPECT_EQ(proxy->lastActivityTick.load(), 0u);
    EXPECT_TRUE(proxy->parser.services.empty());
}

TEST_F(SinkFilter, TheClosingTagIsWrittenOnceAndNothingAfterIt) {
    ASSERT_EQ(Receive(ServiceSection(1)), S_OK);
    EXPECT_TRUE(proxy->CloseDocument());
    EXPECT_FALSE(proxy->CloseDocument());
    const std::string closed = document.Text();
    ASSERT_GE(closed.size(), 7u);
    EXPECT_EQ(closed.substr(closed.size() - 7), "</tv>\r\n");
    EXPECT_EQ(closed.find("</tv>"), closed.size() - 7);

    proxy->lastActivityTick = 99;
    EXPECT_EQ(Receive(ServiceSection(2)), S_OK);
    EXPECT_EQ(document.Text(), closed);
    EXPECT_EQ(proxy->lastActivityTick.load(), 99u);
    EXPECT_FALSE(proxy->parser.services.contains(2));
}

TEST_F(SinkFilter, ClosingWithoutAStreamWritesNothing) {
    auto* streamless = new DVBFilterToParserProxy(nullptr);
    ComPtr<IUnknown> keep(streamless->GetOwner());
    EXPECT_FALSE(streamless->CloseDocument());
    EXPECT_FALSE(streamless->CloseDocument());
}

TEST_F(SinkFilter, InAGraphItReceivesAndEndsWithTheGraphsLastReference) {
    // This proxy is held by nothing but the graph.
    MemoryStream output;
    const LONG objects = CBaseObject::ObjectsActive();
    auto* graphProxy = new DVBFilterToParserProxy(output.File());
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(CreateComObject<FilterGraph>(IID_IGraphBuilder, reinterpret_cast<void**>(&graph)),
                  S_OK);
        FakeFilterConfig config;
        CMediaType unusual(&MEDIATYPE_Stream);
        config.pins = {FakePinConfig::Output(L"Out", {unusual})};
        ComPtr<FakeFilter> source = FakeFilter::Create(config);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"Source"), S_OK);
        ASSERT_EQ(graph->AddFilter(graphProxy->filter, L"Varnel's Filter"), S_OK);
        ASSERT_EQ(graph->Connect(source->Pin(0), graphProxy->pin), S_OK);

        EXPECT_EQ(source->Deliver(0, ServiceSection(5)), S_OK);
        EXPECT_TRUE(graphProxy->parser.services.contains(5));
        EXPECT_NE(graphProxy->lastActivityTick.load(), 0u);
        EXPECT_GT(CBaseObject::ObjectsActive(), objects + 3);
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects);
}
