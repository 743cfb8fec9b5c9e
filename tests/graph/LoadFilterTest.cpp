#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "GraphWorld.h"
#include "platform/dshow/DShowGuids.h"
#include "support/StdoutCapture.h"

namespace {

CMediaType Refused() {
    static const GUID nothing = GuidFromText("{11111111-2222-3333-4444-555555555555}");
    return CMediaType(&nothing);
}

class LoadFilter : public ::testing::Test {
protected:
    // A tuner that connects below the network provider, or one that does not.
    DeviceDescription Tuner(const wchar_t* name, bool fits = true) {
        FakeFilterConfig config = world.TunerConfig();
        if (!fits)
            config.pins[1].acceptTypes = {Refused()};
        return world.Device(name, config);
    }
    DeviceDescription Receiver(std::optional<std::wstring> name, bool fits = true) {
        FakeFilterConfig config = world.ReceiverConfig();
        if (!fits)
            config.pins[0].acceptTypes = {Refused()};
        return world.Device(std::move(name), config);
    }
    // A graph with the network provider loaded, as the build has it before the tuner.
    BdaGraph& Graph() {
        BdaGraph& graph = world.NewGraph();
        CaptureStdout([&] { EXPECT_EQ(graph.LoadNetworkProvider(Name()), S_OK); });
        return graph;
    }
    HRESULT LoadTuner(BdaGraph& graph, std::string& printed) {
        HRESULT hr = E_UNEXPECTED;
        printed = CaptureStdout([&] {
            hr = graph.LoadFilter(KSCATEGORY_BDA_NETWORK_TUNER, graph.pTunerFilter,
                                  graph.pNetworkProvider.Get(), TRUE);
        });
        return hr;
    }
    // Receiver components below a given tuner filter, walked in full.
    HRESULT LoadReceiver(BdaGraph& graph, std::string& printed) {
        ComPtr<FakeFilter> tuner = FakeFilter::Create(world.TunerConfig());
        EXPECT_EQ(graph.pGraphBuilder->AddFilter(tuner.Get(), L"Tuner"), S_OK);
        graph.pTunerFilter = tuner.Get();
        HRESULT hr = E_UNEXPECTED;
        printed = CaptureStdout([&] {
            hr = graph.LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, graph.pCaptureFilter,
                                  graph.pTunerFilter.Get(), FALSE);
        });
        return hr;
    }
    int Made(const std::string& label) {
        int count = 0;
        for (auto& filter : world.made)
            count += filter->Config().label == label ? 1 : 0;
        return count;
    }

    GraphWorld world;
};

}  // namespace

TEST_F(LoadFilter, AnOrdinalOutsideTheDevicesBindsNothing) {
    for (LONG ordinal : {0, -1, 4, 1000}) {
        SCOPED_TRACE(ordinal);
        world.tuners = {Tuner(L"A"), Tuner(L"B"), Tuner(L"C")};
        BdaGraph& graph = Graph();
        graph.tunerOrdinal = ordinal;
        std::string printed;
        EXPECT_EQ(LoadTuner(graph, printed), S_OK);
        EXPECT_EQ(printed, "");
        EXPECT_FALSE(graph.pTunerFilter);
        EXPECT_EQ(Made("tuner"), 0);
    }
}

TEST_F(LoadFilter, ByOrdinalOnlyThatDeviceIsTried) {
    world.tuners = {Tuner(L"A"), Tuner(L"B", false), Tuner(L"C")};
    BdaGraph& graph = Graph();
    graph.tunerOrdinal = 2;
    std::string printed;
    EXPECT_EQ(LoadTuner(graph, printed), S_OK);
    EXPECT_EQ(printed, "Loading filter \"B\" - doesn't fit, unloading!\n");
    EXPECT_FALSE(graph.pTunerFilter);
    EXPECT_EQ(Made("tuner"), 1);
    EXPECT_EQ(world.FiltersInGraph(), (std::vector<std::wstring>{L"Network Provider"}));
}

TEST_F(LoadFilter, ADeviceWithoutNameStillCountsAsAPosition) {
    world.tuners = {Tuner(L"A"), world.Device(std::nullopt, world.TunerConfig()), Tuner(L"C")};
    BdaGraph& graph = Graph();
    graph.tunerOrdinal = 3;
    std::string printed;
    EXPECT_EQ(LoadTuner(graph, printed), S_OK);
    EXPECT_EQ(printed, "Loading filter \"C\" - succeeded!\n");
    ASSERT_TRUE(graph.pTunerFilter);
    EXPECT_EQ(FilterName(graph.pTunerFilter.Get()), L"C");
    EXPECT_EQ(Made("tuner"), 1);

    // The nameless device at the ordinal is skipped silently, and no other is tried.
    world.graph.reset();
    BdaGraph& again = Graph();
    again.tunerOrdinal = 2;
    EXPECT_EQ(LoadTuner(again, printed), S_OK);
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(again.pTunerFilter);
    EXPECT_EQ(Made("tuner"), 1);
}

TEST_F(LoadFilter, WithoutOrdinalTheCategoryIsWalkedUntilOneFits) {
    world.receivers = {Receiver(L"R1", false), Receiver(std::nullopt), Receiver(L"R3", false),
                       Receiver(L"R4"), Receiver(L"R5")};
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(LoadReceiver(graph, printed), S_OK);
    EXPECT_EQ(printed,
              "Loading filter \"R1\" - doesn't fit, unloading!\n"
              "Loading filter \"R3\" - doesn't fit, unloading!\n"
              "Loading filter \"R4\" - succeeded!\n");
    ASSERT_TRUE(graph.pCaptureFilter);
    EXPECT_EQ(FilterName(graph.pCaptureFilter.Get()), L"R4");
    EXPECT_EQ(world.FiltersInGraph(), (std::vector<std::wstring>{L"Tuner", L"R4"}));
}

TEST_F(LoadFilter, NothingFitsLeavesOutUntouched) {
    world.receivers = {Receiver(L"R1", false), Receiver(L"R2", false)};
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(LoadReceiver(graph, printed), S_OK);
    EXPECT_EQ(printed,
              "Loading filter \"R1\" - doesn't fit, unloading!\n"
              "Loading filter \"R2\" - doesn't fit, unloading!\n");
    EXPECT_FALSE(graph.pCaptureFilter);
    EXPECT_EQ(world.FiltersInGraph(), (std::vector<std::wstring>{L"Tuner"}));
}

TEST_F(LoadFilter, DeviceFailures) {
    struct Case {
        const char* what;
        void (*setup)(std::vector<DeviceDescription>& receivers, GraphScript& script);
        HRESULT result;
        const char* printed;
        bool loaded;
    } cases[] = {
        {"property bag",
         [](auto& receivers, auto&) { receivers[0].bindToStorageResult = E_ACCESSDENIED; },
         E_ACCESSDENIED, "", false},
        {"name unreadable", [](auto& receivers, auto&) { receivers[0].readResult = E_FAIL; }, S_OK,
         "Loading filter \"R2\" - succeeded!\n", true},
        // The text of a device that cannot be bound is left without its line end.
        {"bind", [](auto& receivers, auto&) { receivers[0].bindToObjectResult = E_FAIL; }, S_OK,
         "Loading filter \"R1\"Loading filter \"R2\" - succeeded!\n", true},
        {"add to graph",
         [](auto&, auto& script) { script.addFilterResults[L"R1"] = E_OUTOFMEMORY; }, E_OUTOFMEMORY,
         "Loading filter \"R1\"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto local = std::make_unique<GraphWorld>();
        local->receivers = {local->Device(L"R1", local->ReceiverConfig()),
                            local->Device(L"R2", local->ReceiverConfig())};
        c.setup(local->receivers, local->script);
        BdaGraph& graph = local->NewGraph();
        ComPtr<FakeFilter> tuner = FakeFilter::Create(local->TunerConfig());
        ASSERT_EQ(graph.pGraphBuilder->AddFilter(tuner.Get(), L"Tuner"), S_OK);
        HRESULT hr = E_UNEXPECTED;
        const std::string printed = CaptureStdout([&] {
            hr = graph.LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, graph.pCaptureFilter,
                                  tuner.Get(), FALSE);
        });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(static_cast<bool>(graph.pCaptureFilter), c.loaded);
    }
}

TEST_F(LoadFilter, AFailedRemovalOfADeviceThatDoesNotFitEndsTheWalk) {
    world.receivers = {Receiver(L"R1", false), Receiver(L"R2")};
    world.script.removeFilterResults[L"R1"] = VFW_E_NOT_STOPPED;
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(LoadReceiver(graph, printed), VFW_E_NOT_STOPPED);
    EXPECT_EQ(printed, "Loading filter \"R1\" - doesn't fit, unloading!\n");
    EXPECT_FALSE(graph.pCaptureFilter);
    EXPECT_EQ(Made("receiver"), 1);
}

TEST_F(LoadFilter, WithoutUpstreamTheFirstNamedDeviceIsKeptAsItIs) {
    world.receivers = {Receiver(std::nullopt), Receiver(L"R2", false), Receiver(L"R3")};
    BdaGraph& graph = world.NewGraph();
    HRESULT hr = E_UNEXPECTED;
    const std::string printed = CaptureStdout([&] {
        hr = graph.LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, graph.pCaptureFilter, nullptr,
                              FALSE);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(printed, "Loading filter \"R2\"");
    ASSERT_TRUE(graph.pCaptureFilter);
    EXPECT_EQ(FilterName(graph.pCaptureFilter.Get()), L"R2");
}

namespace {

// A device enumerator whose every enumeration fails.
class BrokenDevEnum : public CUnknown, public ICreateDevEnum {
public:
    BrokenDevEnum() : CUnknown(NAME("BrokenDevEnum"), nullptr) {}
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_ICreateDevEnum)
            return GetInterface(static_cast<ICreateDevEnum*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP CreateClassEnumerator(REFCLSID, IEnumMoniker** ppEnumMoniker, DWORD) override {
        *ppEnumMoniker = nullptr;
        return E_OUTOFMEMORY;
    }
};

}  // namespace

TEST_F(LoadFilter, EnumeratorFailures) {
    struct Case {
        const char* what;
        ClassFactory devEnum;  // null: the platform's
        bool noReceivers;
        HRESULT result;
        const char* printed;
    } cases[] = {
        {"no device enumerator", FailingFactory(REGDB_E_CLASSNOTREG), false, REGDB_E_CLASSNOTREG,
         "LoadFilter(): Cannot CoCreate ICreateDevEnum\n"},
        {"enumeration fails", MakeClassFactory<BrokenDevEnum>(), false, E_OUTOFMEMORY,
         "LoadFilter(): Cannot CreateClassEnumerator\n"},
        {"empty category", nullptr, true, E_UNEXPECTED,
         "LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        if (c.noReceivers)
            local.receivers.clear();
        ClassRegistration devEnum;
        if (c.devEnum)
            devEnum = RegisterClass(CLSID_SystemDeviceEnum, c.devEnum);
        BdaGraph& graph = local.NewGraph();
        HRESULT hr = E_UNEXPECTED;
        const std::string printed = CaptureStdout([&] {
            hr = graph.LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, graph.pCaptureFilter, nullptr,
                                  FALSE);
        });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_FALSE(graph.pCaptureFilter);
        local.graph.reset();
    }
}

TEST_F(LoadFilter, TheDeviceEnumeratorIsMadeOnceAndKept) {
    BdaGraph& graph = world.NewGraph();
    EXPECT_FALSE(graph.pDevEnum);
    CaptureStdout([&] {
        graph.LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, graph.pCaptureFilter, nullptr, FALSE);
    });
    ASSERT_TRUE(graph.pDevEnum);
    ICreateDevEnum* first = graph.pDevEnum.Get();
    // Later calls use it even when no other could be made now.
    ClassRegistration gone = RegisterClass(CLSID_SystemDeviceEnum, nullptr);
    const std::string printed = CaptureStdout([&] {
        graph.LoadFilter(KSCATEGORY_BDA_TRANSPORT_INFORMATION, graph.pTif, nullptr, FALSE);
    });
    EXPECT_EQ(printed, "Loading filter \"Fake TIF\"");
    EXPECT_EQ(graph.pDevEnum.Get(), first);
}

TEST_F(LoadFilter, FriendlyNamesPrintInTheLocaleOfTheRun) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    world.receivers = {Receiver(L"Empf\u00E4nger \u20AC \U0001F4E1")};
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    LoadReceiver(graph, printed);
    std::setlocale(LC_CTYPE, previous.c_str());
    EXPECT_EQ(printed,
              "Loading filter \"Empf\xC3\xA4nger \xE2\x82\xAC \xF0\x9F\x93\xA1\" - succeeded!\n");
}
