#include "platform/com/ClassRegistry.h"

#include <gtest/gtest.h>

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/GraphInterfaces.h"

namespace {

constexpr CLSID kTestClass = GuidFromText("{6B0E1F4C-3A52-4D8E-9C61-0F2A7D3B5E91}");
constexpr IID kTestInterface = GuidFromText("{6B0E1F4C-3A52-4D8E-9C61-0F2A7D3B5E92}");

struct ITestThing : IUnknown {
    STDMETHOD_(int, Which)() PURE;
};

class TestThing : public CUnknown, public ITestThing {
public:
    explicit TestThing(int which) : CUnknown(NAME("TestThing"), nullptr), which(which) {}
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == kTestInterface)
            return GetInterface(static_cast<ITestThing*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP_(int) Which() override { return which; }

private:
    int which;
};

// Which registration answers, or the failure.
HRESULT Create(int* which) {
    ComPtr<ITestThing> thing;
    HRESULT hr = CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, kTestInterface,
                                  reinterpret_cast<void**>(&thing));
    if (SUCCEEDED(hr)) {
        EXPECT_TRUE(thing);
        *which = thing->Which();
    } else {
        EXPECT_FALSE(thing);
    }
    return hr;
}

TEST(ClassRegistry, LaterRegistrationsHideEarlierOnesUntilTheyGo) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    int which = 0;
    EXPECT_EQ(Create(&which), REGDB_E_CLASSNOTREG);
    {
        ClassRegistration first = RegisterClass(kTestClass, MakeClassFactory<TestThing>(1));
        ASSERT_EQ(Create(&which), S_OK);
        EXPECT_EQ(which, 1);
        {
            ClassRegistration failing = RegisterClass(kTestClass, FailingFactory(E_OUTOFMEMORY));
            EXPECT_EQ(Create(&which), E_OUTOFMEMORY);
            ClassRegistration second = RegisterClass(kTestClass, MakeClassFactory<TestThing>(2));
            ClassRegistration absent = RegisterClass(kTestClass, nullptr);
            EXPECT_EQ(Create(&which), REGDB_E_CLASSNOTREG);
            absent.Reset();
            ASSERT_EQ(Create(&which), S_OK);
            EXPECT_EQ(which, 2);
            // Removing one from the middle leaves the top one in charge.
            failing.Reset();
            ASSERT_EQ(Create(&which), S_OK);
            EXPECT_EQ(which, 2);
        }
        ASSERT_EQ(Create(&which), S_OK);
        EXPECT_EQ(which, 1);

        ClassRegistration moved = std::move(first);
        ASSERT_EQ(Create(&which), S_OK);  // a moved handle still owns the registration
    }
    EXPECT_EQ(Create(&which), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

TEST(ClassRegistry, CreationChecksArgumentsLikeWindows) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    ClassRegistration registered = RegisterClass(kTestClass, MakeClassFactory<TestThing>(1));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, kTestInterface, nullptr),
              E_POINTER);
    // Only in-process servers exist.
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_LOCAL_SERVER, kTestInterface, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    // An outer object is only possible with IID_IUnknown, and these classes refuse it anyway.
    ComPtr<IUnknown> outer;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&outer)),
              S_OK);
    EXPECT_EQ(CoCreateInstance(kTestClass, outer.Get(), CLSCTX_ALL, kTestInterface, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(kTestClass, outer.Get(), CLSCTX_ALL, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    // A class without the interface: nothing is created and nothing leaks.
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IGraphBuilder, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    outer.Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

TEST(ClassRegistry, PlatformClassesAreThereAndCanBeReplacedForATest) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    graph.Release();
    {
        ClassRegistration failing = RegisterClass(CLSID_FilterGraph, FailingFactory(E_FAIL));
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)),
                  E_FAIL);
    }
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              E_NOINTERFACE);
}

TEST(ClassRegistry, ApartmentsAreCountedPerThread) {
    const LONG before = CoInitializeCount();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), before == 0 ? S_OK : S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeCount(), before + 2);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitializeCount(), before);
}

}  // namespace
