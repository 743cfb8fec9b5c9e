// The identity rules the sink relies on: an owner object that carries the one reference count
// of a filter built with it as owner and of that filter's pin.
#include <gtest/gtest.h>

#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/MemorySample.h"
#include "platform/dshow/RenderedInputPin.h"

namespace {

constexpr CLSID kSinkClass = GuidFromText("{0C9D47E1-58B2-4F3A-8E6D-2B7A19C4F035}");

class OwnedFilter;

class OwnedPin : public CRenderedInputPin {
public:
    OwnedPin(CBaseFilter* filter, CCritSec* lock)
        : CRenderedInputPin(NAME("OwnedPin"), filter, lock, nullptr, L"Input") {}
    HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
};

class OwnedFilter : public CBaseFilter {
public:
    OwnedFilter(LPUNKNOWN owner, CCritSec* lock)
        : CBaseFilter(NAME("OwnedFilter"), owner, lock, kSinkClass) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? pin : nullptr; }
    OwnedPin* pin = nullptr;
};

// Owns the filter and its pin, as the sink's proxy does.
class Owner : public CUnknown {
public:
    explicit Owner(bool* deleted) : CUnknown(NAME("Owner"), nullptr), deleted(deleted) {
        filter = new OwnedFilter(GetOwner(), &lock);
        pin = new OwnedPin(filter, &lock);
        filter->pin = pin;
    }
    ~Owner() override {
        delete pin;
        delete filter;
        *deleted = true;
    }
    LONG Count() const { return m_cRef; }

    OwnedFilter* filter;
    OwnedPin* pin;
    CCritSec lock;

private:
    bool* deleted;
};

TEST(ComIdentity, OwnerCarriesTheOneCountOfFilterAndPin) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    bool deleted = false;
    Owner* owner = new Owner(&deleted);
    EXPECT_EQ(owner->Count(), 0);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore + 3);

    IBaseFilter* filter = owner->filter;
    IPin* pin = owner->pin;
    EXPECT_EQ(filter->AddRef(), 1u);
    EXPECT_EQ(pin->AddRef(), 2u);
    EXPECT_EQ(owner->Count(), 2);

    // A pin handed out by the filter and the filter handed out by the pin count on the owner.
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);
    ComPtr<IPin> enumerated;
    ASSERT_EQ(pins->Next(1, &enumerated, nullptr), S_OK);
    EXPECT_EQ(enumerated.Get(), pin);
    PIN_INFO info;
    ASSERT_EQ(pin->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, filter);
    EXPECT_EQ(std::wstring(info.achName), L"Input");
    EXPECT_EQ(info.dir, PINDIR_INPUT);
    EXPECT_EQ(owner->Count(), 5);  // enumerator, enumerated pin, pin info
    info.pFilter->Release();
    enumerated.Release();
    pins.Release();
    EXPECT_EQ(owner->Count(), 2);

    EXPECT_EQ(filter->Release(), 1u);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(pin->Release(), 0u);
    EXPECT_TRUE(deleted);  // the last reference, whichever object it was taken on
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

TEST(ComIdentity, QueryInterfaceOnTheOwnedFilterYieldsOnlyTheOwner) {
    bool deleted = false;
    Owner* owner = new Owner(&deleted);
    ComPtr<IUnknown> ownerIdentity;
    ASSERT_EQ(
        owner->NonDelegatingQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ownerIdentity)),
        S_OK);
    EXPECT_EQ(ownerIdentity.Get(), owner->GetOwner());

    IBaseFilter* filter = owner->filter;
    void* result = reinterpret_cast<void*>(1);
    EXPECT_EQ(filter->QueryInterface(IID_IBaseFilter, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(filter->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    ComPtr<IUnknown> viaFilter;
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaFilter)), S_OK);
    EXPECT_EQ(viaFilter.Get(), ownerIdentity.Get());

    // The pin answers for itself, and counts on the owner.
    IPin* pin = owner->pin;
    ComPtr<IMemInputPin> memInput;
    ASSERT_EQ(pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&memInput)), S_OK);
    ComPtr<IPin> pinAgain;
    ASSERT_EQ(memInput->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pinAgain)), S_OK);
    EXPECT_EQ(pinAgain.Get(), pin);
    EXPECT_EQ(pin->QueryInterface(IID_IBaseFilter, &result), E_NOINTERFACE);
    EXPECT_EQ(owner->Count(), 4);

    CLSID clsid;
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, kSinkClass);

    memInput.Release();
    pinAgain.Release();
    viaFilter.Release();
    EXPECT_FALSE(deleted);
    ownerIdentity.Release();
    EXPECT_TRUE(deleted);
}

TEST(ComIdentity, UnraisedOwnerLivesUntilDeletedByHand) {
    // While nobody has taken a reference, nothing deletes the objects.
    bool deleted = false;
    Owner* owner = new Owner(&deleted);
    CMemorySample sample(nullptr, 0);
    EXPECT_EQ(owner->pin->Receive(&sample), VFW_E_WRONG_STATE);  // the base checks the state
    EXPECT_FALSE(deleted);
    delete owner;
    EXPECT_TRUE(deleted);
}

TEST(ComIdentity, SelfOwnedObjectKeepsOneIdentityAcrossInterfaces) {
    // A filter without owner: IBaseFilter, IMediaFilter and IPersist are one interface
    // pointer, and IUnknown is the same object whichever interface it is asked from.
    CCritSec lock;
    auto* filter = new OwnedFilter(nullptr, &lock);
    OwnedPin pin(filter, &lock);
    filter->pin = &pin;
    ComPtr<IBaseFilter> base(filter);
    ComPtr<IMediaFilter> media;
    ComPtr<IPersist> persist;
    ComPtr<IUnknown> unknown1;
    ComPtr<IUnknown> unknown2;
    ASSERT_EQ(base.QueryInterface(IID_IMediaFilter, media), S_OK);
    ASSERT_EQ(base.QueryInterface(IID_IPersist, persist), S_OK);
    ASSERT_EQ(base.QueryInterface(IID_IUnknown, unknown1), S_OK);
    ASSERT_EQ(media.QueryInterface(IID_IUnknown, unknown2), S_OK);
    EXPECT_EQ(static_cast<IMediaFilter*>(base.Get()), media.Get());
    EXPECT_EQ(unknown1.Get(), unknown2.Get());
    EXPECT_EQ(unknown1.Get(), filter->GetOwner());
    unknown1.Release();
    unknown2.Release();
    media.Release();
    persist.Release();
    filter->pin = nullptr;  // the pin is on the stack; the filter goes with `base`
}

}  // namespace
