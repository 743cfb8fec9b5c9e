#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DeviceInterfaces.h"
#include "platform/dshow/DeviceRegistry.h"
#include "support/FakeFilter.h"

namespace {

// A category of our own, so that nothing else registered interferes.
constexpr GUID kCategory = GuidFromText("{3E5B7A90-1C24-4F6D-8B13-5D9E2A7C4F68}");

class DeviceEnumTest : public ::testing::Test {
protected:
    void SetUp() override {
        objectsBefore = CBaseObject::ObjectsActive();
        ASSERT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_ICreateDevEnum,
                                   reinterpret_cast<void**>(&devEnum)),
                  S_OK);
    }
    void TearDown() override {
        devEnum.Release();
        registrations.clear();
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }

    void Register(DeviceDescription device) {
        registrations.push_back(DeviceRegistry::Register(kCategory, std::move(device)));
    }
    static DeviceDescription Named(const wchar_t* name) {
        FakeFilterConfig config;
        config.pins = {FakePinConfig::Output(L"Out")};
        return FakeFilter::Device(
            name != nullptr ? std::optional<std::wstring>(name) : std::nullopt, config);
    }
    ComPtr<IEnumMoniker> Enumerate() {
        ComPtr<IEnumMoniker> monikers;
        EXPECT_EQ(devEnum->CreateClassEnumerator(kCategory, &monikers, 0), S_OK);
        return monikers;
    }
    // The friendly name, or the failure of the step that failed.
    static std::wstring FriendlyName(IMoniker* moniker) {
        ComPtr<IPropertyBag> bag;
        HRESULT hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                            reinterpret_cast<void**>(&bag));
        if (FAILED(hr))
            return L"storage " + std::to_wstring(hr);
        VARIANT var;
        VariantInit(&var);
        hr = bag->Read(L"FriendlyName", &var, nullptr);
        if (FAILED(hr))
            return L"read " + std::to_wstring(hr);
        EXPECT_EQ(var.vt, VT_BSTR);
        std::wstring name(var.bstrVal, SysStringLen(var.bstrVal));
        VariantClear(&var);
        return name;
    }
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        ComPtr<IEnumMoniker> monikers = Enumerate();
        ComPtr<IMoniker> moniker;
        while (monikers && monikers->Next(1, &moniker, nullptr) == S_OK) {
            names.push_back(FriendlyName(moniker.Get()));
        }
        return names;
    }

    LONG objectsBefore = 0;
    ComPtr<ICreateDevEnum> devEnum;
    std::vector<DeviceRegistration> registrations;
};

TEST_F(DeviceEnumTest, EmptyCategoryGivesFalseAndNoEnumerator) {
    ComPtr<IEnumMoniker> monikers;
    EXPECT_EQ(devEnum->CreateClassEnumerator(kCategory, &monikers, 0), S_FALSE);
    EXPECT_FALSE(monikers);
    EXPECT_EQ(devEnum->CreateClassEnumerator(kCategory, nullptr, 0), E_POINTER);
}

TEST_F(DeviceEnumTest, DevicesComeInRegistrationOrderEveryTime) {
    Register(Named(L"Tuner A"));
    Register(Named(L"Tuner B"));
    Register(Named(L"Tuner C"));
    const std::vector<std::wstring> expected = {L"Tuner A", L"Tuner B", L"Tuner C"};
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(Names(), expected);

    // Several at once, and Reset.
    ComPtr<IEnumMoniker> monikers = Enumerate();
    IMoniker* batch[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(monikers->Next(4, batch, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 3u);
    EXPECT_EQ(FriendlyName(batch[2]), L"Tuner C");
    for (ULONG i = 0; i < fetched; ++i)
        batch[i]->Release();
    EXPECT_EQ(monikers->Next(1, batch, nullptr), S_FALSE);
    EXPECT_EQ(monikers->Reset(), S_OK);
    ComPtr<IMoniker> first;
    ASSERT_EQ(monikers->Next(1, &first, nullptr), S_OK);
    EXPECT_EQ(FriendlyName(first.Get()), L"Tuner A");
}

TEST_F(DeviceEnumTest, EnumerationWorksOnASnapshot) {
    Register(Named(L"Tuner A"));
    ComPtr<IEnumMoniker> monikers = Enumerate();
    Register(Named(L"Tuner B"));
    registrations.front().Reset();  // gone from the registry, not from the snapshot
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    EXPECT_EQ(FriendlyName(moniker.Get()), L"Tuner A");
    EXPECT_EQ(monikers->Next(1, &moniker, nullptr), S_FALSE);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Tuner B"}));
}

TEST_F(DeviceEnumTest, EachStepCanBeMadeToFail) {
    DeviceDescription noStorage = Named(L"No storage");
    noStorage.bindToStorageResult = E_ACCESSDENIED;
    DeviceDescription unreadable = Named(L"Unreadable");
    unreadable.readResult = E_UNEXPECTED;
    DeviceDescription unbindable = Named(L"Unbindable");
    unbindable.bindToObjectResult = E_OUTOFMEMORY;
    Register(noStorage);
    Register(Named(nullptr));
    Register(unreadable);
    Register(unbindable);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{
                           L"storage " + std::to_wstring(E_ACCESSDENIED),
                           L"read " + std::to_wstring(E_FAIL),
                           L"read " + std::to_wstring(E_UNEXPECTED),
                           L"Unbindable",
                       }));

    ComPtr<IEnumMoniker> monikers = Enumerate();
    IMoniker* all[4] = {};
    ULONG fetched = 0;
    ASSERT_EQ(monikers->Next(4, all, &fetched), S_OK);
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(
        all[3]->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)),
        E_OUTOFMEMORY);
    EXPECT_FALSE(filter);
    // The other devices bind, whatever their property bags do.
    EXPECT_EQ(
        all[0]->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)),
        S_OK);
    for (IMoniker* moniker : all)
        moniker->Release();
}

TEST_F(DeviceEnumTest, EveryBindMakesANewFilter) {
    int created = 0;
    FakeFilterConfig config;
    config.pins = {FakePinConfig::Output(L"MPEG2 Transport")};
    config.onCreated = [&](FakeFilter*) { ++created; };
    Register(FakeFilter::Device(L"Tuner", config));
    ComPtr<IEnumMoniker> monikers = Enumerate();
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    ComPtr<IBaseFilter> first;
    ComPtr<IBaseFilter> second;
    ASSERT_EQ(
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&first)),
        S_OK);
    ASSERT_EQ(
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&second)),
        S_OK);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(created, 2);
    ComPtr<IPin> pin;
    EXPECT_EQ(first->FindPin(L"MPEG2 Transport", &pin), S_OK);
}

TEST_F(DeviceEnumTest, PropertyBagAnswersOnlyTheFriendlyNameAsString) {
    Register(Named(L"Tuner"));
    ComPtr<IEnumMoniker> monikers = Enumerate();
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    ComPtr<IPropertyBag> bag;
    ASSERT_EQ(
        moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)),
        S_OK);
    VARIANT var;
    VariantInit(&var);
    EXPECT_EQ(bag->Read(L"DevicePath", &var, nullptr), E_FAIL);
    var.vt = VT_I4;
    EXPECT_EQ(bag->Read(L"FriendlyName", &var, nullptr), DISP_E_TYPEMISMATCH);
    var.vt = VT_BSTR;  // asking for a string is fine
    var.bstrVal = nullptr;
    ASSERT_EQ(bag->Read(L"FriendlyName", &var, nullptr), S_OK);
    EXPECT_EQ(std::wstring(var.bstrVal), L"Tuner");
    VariantClear(&var);
    EXPECT_EQ(bag->Read(L"FriendlyName", nullptr, nullptr), E_POINTER);
    void* storage = nullptr;
    EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IBaseFilter, &storage), E_NOINTERFACE);
}

}  // namespace
