// The TIF as the graph finds it: a device of its category whose input takes the
// demultiplexer's section output and nothing else, and discards what it receives.

#include <gtest/gtest.h>

#include "DemuxRig.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DeviceInterfaces.h"
#include "platform/dshow/MemorySample.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "platform/dshow/TransportInformationFilter.h"

namespace {

// The filter bound from the category's device of that friendly name.
ComPtr<IBaseFilter> BindTif() {
    ComPtr<ICreateDevEnum> devices;
    EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICreateDevEnum, reinterpret_cast<void**>(&devices)),
              S_OK);
    ComPtr<IEnumMoniker> monikers;
    EXPECT_EQ(devices->CreateClassEnumerator(KSCATEGORY_BDA_TRANSPORT_INFORMATION, &monikers, 0),
              S_OK);
    ComPtr<IMoniker> moniker;
    while (monikers && monikers->Next(1, &moniker, nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                         reinterpret_cast<void**>(&bag)),
                  S_OK);
        VARIANT name;
        VariantInit(&name);
        EXPECT_EQ(bag->Read(L"FriendlyName", &name, nullptr), S_OK);
        const bool isTif = std::wstring(name.bstrVal) == L"BDA MPEG2 Transport Information Filter";
        VariantClear(&name);
        if (!isTif)
            continue;
        ComPtr<IBaseFilter> tif;
        EXPECT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                        reinterpret_cast<void**>(&tif)),
                  S_OK);
        return tif;
    }
    ADD_FAILURE() << "no TIF device";
    return {};
}

TEST(TransportInformationFilter, TakesTheSectionOutputAndDiscardsItsSamples) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    {
        DeviceRegistration device = RegisterTransportInformationFilter();
        ComPtr<IBaseFilter> tif = BindTif();
        ASSERT_TRUE(tif);
        ComPtr<IEnumPins> pins;
        ASSERT_EQ(tif->EnumPins(&pins), S_OK);
        ComPtr<IPin> input;
        ASSERT_EQ(pins->Next(1, &input, nullptr), S_OK);
        PIN_DIRECTION direction;
        ASSERT_EQ(input->QueryDirection(&direction), S_OK);
        EXPECT_EQ(direction, PINDIR_INPUT);
        ComPtr<IPin> more;
        EXPECT_EQ(pins->Next(1, &more, nullptr), S_FALSE) << "one pin only";

        FakeFilterConfig transport;
        transport.pins = {FakePinConfig::Output(L"MPEG2 Transport")};
        ComPtr<FakeFilter> tuner = FakeFilter::Create(transport);
        EXPECT_TRUE(FAILED(tuner->Pin(0)->Connect(input.Get(), nullptr)));

        ClassRegistration demuxClass = RegisterDemultiplexerClass();
        ComPtr<IMpeg2Demultiplexer> demux;
        ASSERT_EQ(CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IMpeg2Demultiplexer, reinterpret_cast<void**>(&demux)),
                  S_OK);
        CMediaType type = PsiSectionType();
        wchar_t name[] = L"For MS PSI";
        ComPtr<IPin> output;
        ASSERT_EQ(demux->CreateOutputPin(&type, name, &output), S_OK);
        ASSERT_EQ(output->Connect(input.Get(), nullptr), S_OK);

        ComPtr<IMemInputPin> memInput;
        ASSERT_EQ(input.QueryInterface(IID_IMemInputPin, memInput), S_OK);
        const BYTE bytes[] = {0x00, 0xB0, 0x00};
        CMemorySample sample(bytes, sizeof bytes);
        EXPECT_EQ(memInput->Receive(&sample), S_OK);
        EXPECT_EQ(memInput->ReceiveCanBlock(), S_FALSE);

        output->Disconnect();
        input->Disconnect();
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

}  // namespace
