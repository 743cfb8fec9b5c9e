// The DVB-S tuning space, locator and tune request as the graph creates and fills them.

#include <gtest/gtest.h>

#include "platform/bda/BdaInterfaces.h"
#include "platform/com/ClassRegistry.h"
#include "platform/dshow/CUnknown.h"

namespace {

template <typename T>
ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
    ComPtr<T> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, reinterpret_cast<void**>(&object)),
              S_OK);
    return object;
}

struct LocatorValues {
    LONG frequency;
    LONG symbolRate;
    Polarisation polarisation;
    FECMethod fec;
    ModulationType modulation;
    bool operator==(const LocatorValues&) const = default;
};

LocatorValues Read(ILocator* locator) {
    LocatorValues v{};
    EXPECT_EQ(locator->get_CarrierFrequency(&v.frequency), S_OK);
    EXPECT_EQ(locator->get_SymbolRate(&v.symbolRate), S_OK);
    EXPECT_EQ(locator->get_InnerFEC(&v.fec), S_OK);
    EXPECT_EQ(locator->get_Modulation(&v.modulation), S_OK);
    ComPtr<IDVBSLocator> satellite;
    EXPECT_EQ(ComPtr<ILocator>(locator).QueryInterface(IID_IDVBSLocator, satellite), S_OK);
    EXPECT_EQ(satellite->get_SignalPolarisation(&v.polarisation), S_OK);
    return v;
}

void Write(IDVBSLocator* locator, const LocatorValues& v) {
    EXPECT_EQ(locator->put_CarrierFrequency(v.frequency), S_OK);
    EXPECT_EQ(locator->put_SymbolRate(v.symbolRate), S_OK);
    EXPECT_EQ(locator->put_SignalPolarisation(v.polarisation), S_OK);
    EXPECT_EQ(locator->put_InnerFEC(v.fec), S_OK);
    EXPECT_EQ(locator->put_Modulation(v.modulation), S_OK);
}

std::wstring Text(BSTR text) {
    std::wstring result = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"(null)";
    SysFreeString(text);
    return result;
}

class TuningObjects : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore); }
    const LONG objectsBefore = CBaseObject::ObjectsActive();
};

TEST_F(TuningObjects, LocatorStartsUnsetAndClonesIndependently) {
    auto locator = Create<IDVBSLocator>(CLSID_DVBSLocator, IID_IDVBSLocator);
    ASSERT_TRUE(locator);
    const LocatorValues unset{-1, -1, BDA_POLARISATION_NOT_SET, BDA_FEC_METHOD_NOT_SET,
                              BDA_MOD_NOT_SET};
    EXPECT_EQ(Read(locator.Get()), unset);

    const LocatorValues tuned{12303000, 27500, BDA_POLARISATION_LINEAR_V, BDA_FEC_VITERBI,
                              BDA_MOD_8PSK};
    Write(locator.Get(), tuned);
    EXPECT_EQ(Read(locator.Get()), tuned);

    ComPtr<ILocator> copy;
    ASSERT_EQ(locator->Clone(&copy), S_OK);
    Write(locator.Get(), unset);
    EXPECT_EQ(Read(copy.Get()), tuned);

    ComPtr<ILocator> asBase;
    EXPECT_EQ(locator.QueryInterface(IID_ILocator, asBase), S_OK);
    EXPECT_EQ(locator->get_CarrierFrequency(nullptr), E_POINTER);
}

// The calls the graph makes when it creates its tuning space and each tune request.
TEST_F(TuningObjects, TheGraphsSequenceGivesATuneRequestForTheTransponder) {
    auto local = Create<IDVBSTuningSpace>(CLSID_DVBSTuningSpace, IID_IDVBSTuningSpace);
    ASSERT_TRUE(local);
    BSTR mapping = SysAllocString(L"-1");
    EXPECT_EQ(local->put_FrequencyMapping(mapping), S_OK);
    SysFreeString(mapping);
    BSTR name = SysAllocString(L"Tavolin");
    EXPECT_EQ(local->put_UniqueName(name), S_OK);
    SysFreeString(name);  // copied in
    EXPECT_EQ(local->put_SystemType(DVB_Satellite), S_OK);
    EXPECT_EQ(local->put__NetworkType(CLSID_DVBSNetworkProvider), S_OK);
    BSTR friendly = SysAllocString(L"Tavolin DVBS");
    EXPECT_EQ(local->put_FriendlyName(friendly), S_OK);
    SysFreeString(friendly);
    auto defaultLocator = Create<IDVBSLocator>(CLSID_DVBSLocator, IID_IDVBSLocator);
    Write(defaultLocator.Get(),
          {12303000, 26400, BDA_POLARISATION_LINEAR_V, BDA_FEC_VITERBI, BDA_MOD_QPSK});
    EXPECT_EQ(local->put_DefaultLocator(defaultLocator.Get()), S_OK);
    ComPtr<ITuningSpace> space;
    ASSERT_EQ(local->Clone(&space), S_OK);
    local = nullptr;
    defaultLocator = nullptr;

    BSTR networkType = nullptr;
    ASSERT_EQ(space->get_NetworkType(&networkType), S_OK);
    CLSID provider{};
    EXPECT_EQ(CLSIDFromString(networkType, &provider), S_OK);
    EXPECT_EQ(provider, CLSID_DVBSNetworkProvider);
    EXPECT_EQ(Text(networkType), L"{FA4B375A-45B4-4D45-8440-263957B11623}");

    ComPtr<IDVBSTuningSpace> satellite;
    ASSERT_EQ(space.QueryInterface(IID_IDVBSTuningSpace, satellite), S_OK);
    EXPECT_EQ(satellite->put_LNBSwitch(11700000), S_OK);
    EXPECT_EQ(satellite->put_LowOscillator(9750000), S_OK);
    EXPECT_EQ(satellite->put_HighOscillator(10600000), S_OK);

    ComPtr<ITuneRequest> request;
    ASSERT_EQ(space->CreateTuneRequest(&request), S_OK);
    ComPtr<IDVBTuneRequest> dvbRequest;
    ASSERT_EQ(request.QueryInterface(IID_IDVBTuneRequest, dvbRequest), S_OK);
    ComPtr<ILocator> none;
    EXPECT_EQ(dvbRequest->get_Locator(&none), S_FALSE);
    EXPECT_FALSE(none);

    auto locator = Create<IDVBSLocator>(CLSID_DVBSLocator, IID_IDVBSLocator);
    const LocatorValues tuned{11954000, 27500, BDA_POLARISATION_LINEAR_H, BDA_FEC_VITERBI,
                              BDA_MOD_8VSB};
    Write(locator.Get(), tuned);
    EXPECT_EQ(dvbRequest->put_Locator(locator.Get()), S_OK);
    locator = nullptr;

    ComPtr<ILocator> held;
    ASSERT_EQ(dvbRequest->get_Locator(&held), S_OK);
    EXPECT_EQ(Read(held.Get()), tuned);
    ComPtr<ITuningSpace> requestSpace;
    ASSERT_EQ(dvbRequest->get_TuningSpace(&requestSpace), S_OK);
    ComPtr<IUnknown> a, b;
    requestSpace.QueryInterface(IID_IUnknown, a);
    space.QueryInterface(IID_IUnknown, b);
    EXPECT_EQ(a, b);

    ComPtr<ITuneRequest> copy;
    ASSERT_EQ(dvbRequest->Clone(&copy), S_OK);
    ComPtr<ILocator> copiedLocator;
    ASSERT_EQ(copy->get_Locator(&copiedLocator), S_OK);
    EXPECT_NE(copiedLocator, held);
    EXPECT_EQ(Read(copiedLocator.Get()), tuned);
}

TEST_F(TuningObjects, CloneOfATuningSpaceIsIndependent) {
    auto space = Create<IDVBSTuningSpace>(CLSID_DVBSTuningSpace, IID_IDVBSTuningSpace);
    ASSERT_TRUE(space);
    BSTR name = SysAllocString(L"Tavolin");
    space->put_UniqueName(name);
    SysFreeString(name);
    space->put_LowOscillator(9750000);
    space->put_HighOscillator(10600000);
    space->put_LNBSwitch(11700000);
    space->put__NetworkType(CLSID_DVBSNetworkProvider);
    auto locator = Create<IDVBSLocator>(CLSID_DVBSLocator, IID_IDVBSLocator);
    locator->put_CarrierFrequency(12303000);
    space->put_DefaultLocator(locator.Get());
    // The space took a copy: the locator the caller keeps is not the space's.
    locator->put_CarrierFrequency(1);

    ComPtr<ITuningSpace> clone;
    ASSERT_EQ(space->Clone(&clone), S_OK);

    BSTR other = SysAllocString(L"Other");
    space->put_UniqueName(other);
    SysFreeString(other);
    space->put_LowOscillator(1);
    space->put_LNBSwitch(2);
    space->put_SystemType(DVB_Cable);
    ComPtr<ILocator> original;
    ASSERT_EQ(space->get_DefaultLocator(&original), S_OK);
    original->put_CarrierFrequency(2);

    ComPtr<IDVBSTuningSpace> c;
    ASSERT_EQ(clone.QueryInterface(IID_IDVBSTuningSpace, c), S_OK);
    BSTR cloneName = nullptr;
    c->get_UniqueName(&cloneName);
    EXPECT_EQ(Text(cloneName), L"Tavolin");
    LONG low = 0, high = 0, lnbSwitch = 0, frequency = 0;
    c->get_LowOscillator(&low);
    c->get_HighOscillator(&high);
    c->get_LNBSwitch(&lnbSwitch);
    EXPECT_EQ(low, 9750000);
    EXPECT_EQ(high, 10600000);
    EXPECT_EQ(lnbSwitch, 11700000);
    DVBSystemType type{};
    c->get_SystemType(&type);
    EXPECT_EQ(type, DVB_Satellite);
    GUID networkType{};
    c->get__NetworkType(&networkType);
    EXPECT_EQ(networkType, CLSID_DVBSNetworkProvider);
    ComPtr<ILocator> cloneLocator;
    ASSERT_EQ(c->get_DefaultLocator(&cloneLocator), S_OK);
    cloneLocator->get_CarrierFrequency(&frequency);
    EXPECT_EQ(frequency, 12303000);
}

TEST_F(TuningObjects, UnsetNamesReadAsNullAndUnsetLnbAsMinusOne) {
    auto space = Create<IDVBSTuningSpace>(CLSID_DVBSTuningSpace, IID_IDVBSTuningSpace);
    ASSERT_TRUE(space);
    OLECHAR stale[] = L"stale";
    BSTR text = stale;
    EXPECT_EQ(space->get_UniqueName(&text), S_OK);
    EXPECT_EQ(text, nullptr);
    LONG low = 0;
    space->get_LowOscillator(&low);
    EXPECT_EQ(low, -1);
    ComPtr<ILocator> locator;
    EXPECT_EQ(space->get_DefaultLocator(&locator), S_FALSE);
    EXPECT_EQ(space->get_NetworkType(nullptr), E_POINTER);
    EXPECT_EQ(space->CreateTuneRequest(nullptr), E_POINTER);
}

}  // namespace
