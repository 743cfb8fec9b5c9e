#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphWorld.h"
#include "platform/system/DebugOutput.h"
#include "support/StdoutCapture.h"

namespace {

class Tuning : public ::testing::Test {
protected:
    HRESULT CreateTuningSpace(std::string& printed) {
        HRESULT hr = E_UNEXPECTED;
        printed = CaptureStdout([&] { hr = graph->CreateTuningSpace(Name()); });
        return hr;
    }
    HRESULT LoadNetworkProvider(std::string& printed) {
        HRESULT hr = E_UNEXPECTED;
        printed = CaptureStdout([&] { hr = graph->LoadNetworkProvider(Name()); });
        return hr;
    }
    // A tune request for the graph's current parameters; its locator.
    FakeLocator* Tune() {
        ComPtr<IDVBTuneRequest> request;
        std::string printed =
            CaptureStdout([&] { EXPECT_EQ(graph->CreateTuneRequest(&request), S_OK); });
        EXPECT_EQ(printed, "");
        if (!request)
            return nullptr;
        return dynamic_cast<FakeTuneRequest*>(request.Get())->Locator();
    }
    FakeTuningSpace* Space() { return dynamic_cast<FakeTuningSpace*>(graph->pTuningSpace.Get()); }

    GraphWorld world;
    BdaGraph* graph = &world.NewGraph();
};

}  // namespace

TEST_F(Tuning, TheTuningSpaceIsAConfiguredCloneWithADefaultLocator) {
    graph->carrierFrequency = 11778000;
    graph->symbolRate = 27500;
    graph->polarisation = 1;
    graph->dvbs2 = 2;
    std::string printed;
    EXPECT_EQ(CreateTuningSpace(printed), S_OK);
    EXPECT_EQ(printed, "");
    ASSERT_EQ(world.tuning.spaces.size(), 2u);
    FakeTuningSpace* space = Space();
    ASSERT_EQ(space, world.tuning.spaces[1].Get());
    EXPECT_EQ(space->uniqueName, L"Tavolin");
    EXPECT_EQ(space->friendlyName, L"Tavolin DVBS");
    EXPECT_EQ(space->frequencyMapping, L"-1");
    EXPECT_EQ(space->systemType, DVB_Satellite);
    EXPECT_EQ(space->networkType, CLSID_DVBSNetworkProvider);
    // No LNB values until a tune request is made.
    EXPECT_EQ(space->lnbSwitch, -1);

    FakeLocator* locator = space->DefaultLocator();
    ASSERT_NE(locator, nullptr);
    EXPECT_EQ(locator->carrierFrequency, 11778000);
    EXPECT_EQ(locator->symbolRate, 27500);
    EXPECT_EQ(locator->polarisation, BDA_POLARISATION_LINEAR_H);
    EXPECT_EQ(locator->innerFec, BDA_FEC_VITERBI);
    EXPECT_EQ(locator->modulation, BDA_MOD_8PSK);

    EXPECT_EQ(
        world.log->Entries(),
        (std::vector<std::string>{
            "space1.put_FrequencyMapping", "space1.put_UniqueName", "space1.put_SystemType",
            "space1.put__NetworkType", "space1.put_FriendlyName", "locator1.put_CarrierFrequency",
            "locator1.put_SymbolRate", "locator1.put_SignalPolarisation", "locator1.put_InnerFEC",
            "locator1.put_Modulation", "space1.put_DefaultLocator", "space1.Clone"}));
}

TEST_F(Tuning, PolarisationAndModulationTables) {
    std::string printed;
    ASSERT_EQ(CreateTuningSpace(printed), S_OK);
    struct Case {
        BYTE polarisation;
        LONG dvbs2;
        Polarisation expectedPolarisation;
        ModulationType expectedModulation;
    } cases[] = {
        {0, 0, BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK},
        {1, 1, BDA_POLARISATION_LINEAR_H, BDA_MOD_8VSB},
        {255, 2, BDA_POLARISATION_LINEAR_H, BDA_MOD_8PSK},
        // A configured 256 keeps only its low 8 bits.
        {static_cast<BYTE>(256), 3, BDA_POLARISATION_LINEAR_V, BDA_MOD_8VSB},
        {static_cast<BYTE>(257), -1, BDA_POLARISATION_LINEAR_H, BDA_MOD_8VSB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.polarisation} << "/" << c.dvbs2);
        graph->polarisation = c.polarisation;
        graph->dvbs2 = c.dvbs2;
        graph->carrierFrequency = 12188000;
        graph->symbolRate = 22000;
        FakeLocator* locator = Tune();
        ASSERT_NE(locator, nullptr);
        EXPECT_EQ(locator->polarisation, c.expectedPolarisation);
        EXPECT_EQ(locator->modulation, c.expectedModulation);
        EXPECT_EQ(locator->innerFec, BDA_FEC_VITERBI);
        EXPECT_EQ(locator->carrierFrequency, 12188000);
        EXPECT_EQ(locator->symbolRate, 22000);
    }
}

TEST_F(Tuning, EveryTuneRequestSetsTheLnbOnTheGraphsTuningSpace) {
    std::string printed;
    ASSERT_EQ(CreateTuningSpace(printed), S_OK);
    ASSERT_NE(Tune(), nullptr);
    FakeTuningSpace* space = Space();
    EXPECT_EQ(space->lnbSwitch, 11700000);
    EXPECT_EQ(space->lowOscillator, 9750000);
    EXPECT_EQ(space->highOscillator, 10600000);
    space->lnbSwitch = space->lowOscillator = space->highOscillator = 0;
    ASSERT_NE(Tune(), nullptr);
    EXPECT_EQ(space->lnbSwitch, 11700000);
    EXPECT_EQ(space->lowOscillator, 9750000);
    EXPECT_EQ(space->highOscillator, 10600000);
    // The local tuning space the clone came from is left alone.
    EXPECT_EQ(world.tuning.spaces[0]->lnbSwitch, -1);
}

TEST_F(Tuning, TheBuildAndTheSecondTuneGiveIdenticalLocators) {
    graph->carrierFrequency = 10714000;
    graph->symbolRate = 22000;
    graph->polarisation = 1;
    graph->dvbs2 = 0;
    CaptureStdout([&] {
        ASSERT_EQ(graph->BuildGraph(Name()), S_OK);
        EXPECT_EQ(graph->SubmitTuneRequest(), S_OK);
    });
    ASSERT_EQ(world.networkTuner->requests.size(), 2u);
    auto* first = dynamic_cast<FakeTuneRequest*>(world.networkTuner->requests[0].Get());
    auto* second = dynamic_cast<FakeTuneRequest*>(world.networkTuner->requests[1].Get());
    ASSERT_NE(first, second);
    EXPECT_EQ(first->tuningSpace.Get(), second->tuningSpace.Get());
    EXPECT_EQ(first->tuningSpace.Get(), graph->pTuningSpace.Get());
    FakeLocator* a = first->Locator();
    FakeLocator* b = second->Locator();
    ASSERT_NE(a, b);
    for (FakeLocator* locator : {a, b}) {
        EXPECT_EQ(locator->carrierFrequency, 10714000);
        EXPECT_EQ(locator->symbolRate, 22000);
        EXPECT_EQ(locator->polarisation, BDA_POLARISATION_LINEAR_H);
        EXPECT_EQ(locator->innerFec, BDA_FEC_VITERBI);
        EXPECT_EQ(locator->modulation, BDA_MOD_QPSK);
    }
    EXPECT_EQ(Space()->lnbSwitch, 11700000);
    EXPECT_EQ(world.log->Calls("put_LNBSwitch").size(), 2u);
}

TEST_F(Tuning, TuningSpaceFailures) {
    struct Case {
        const char* what;
        void (*setup)(GraphWorld& world, ClassRegistration& override);
        HRESULT result;
        const char* printed;
        const char* providerPrinted;  // what LoadNetworkProvider then prints
    } cases[] = {
        {"no tuning space",
         [](GraphWorld&, ClassRegistration& override) {
             override = RegisterClass(CLSID_DVBSTuningSpace, FailingFactory(E_OUTOFMEMORY));
         },
         S_OK, "Failed to create system tuning space.",
         "Failed to create system tuning space.Cannot create tuning space!\n"},
        {"unique name",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.putUniqueNameResult = E_INVALIDARG;
         },
         E_INVALIDARG, "", "Cannot create tuning space!\n"},
        {"system type",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.putSystemTypeResult = E_ACCESSDENIED;
         },
         E_ACCESSDENIED, "", "Cannot create tuning space!\n"},
        {"network type",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.putNetworkTypeResult = E_HANDLE;
         },
         E_HANDLE, "", "Cannot create tuning space!\n"},
        {"no locator",
         [](GraphWorld&, ClassRegistration& override) {
             override = RegisterClass(CLSID_DVBSLocator, nullptr);
         },
         REGDB_E_CLASSNOTREG, "", "Cannot create tuning space!\n"},
        {"clone",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.cloneResult = E_OUTOFMEMORY;
         },
         E_OUTOFMEMORY, "", "Cannot create tuning space!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        ClassRegistration override;
        c.setup(local, override);
        BdaGraph& fresh = local.NewGraph();
        HRESULT hr = E_UNEXPECTED;
        std::string printed = CaptureStdout([&] { hr = fresh.CreateTuningSpace(Name()); });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_FALSE(fresh.pTuningSpace);
        printed = CaptureStdout([&] { hr = fresh.LoadNetworkProvider(Name()); });
        EXPECT_EQ(hr, E_FAIL);
        EXPECT_EQ(printed, c.providerPrinted);
        EXPECT_FALSE(fresh.pNetworkProvider);
        local.graph.reset();
    }
}

TEST_F(Tuning, TheTuningSpaceIsMadeOnceAndLaterNamesAreNotUsed) {
    std::string printed;
    EXPECT_EQ(LoadNetworkProvider(printed), S_OK);
    ITuningSpace* first = graph->pTuningSpace.Get();
    graph->pNetworkProvider.Release();
    HRESULT hr = E_UNEXPECTED;
    printed = CaptureStdout([&] { hr = graph->LoadNetworkProvider(Name(L"Another")); });
    EXPECT_EQ(hr, VFW_S_DUPLICATE_NAME);  // a second "Network Provider" joined the graph
    EXPECT_EQ(printed, "");
    EXPECT_EQ(graph->pTuningSpace.Get(), first);
    EXPECT_EQ(world.tuning.spaces.size(), 2u);
    EXPECT_EQ(Space()->uniqueName, L"Tavolin");
}

TEST_F(Tuning, NetworkProviderFailures) {
    struct Case {
        const char* what;
        void (*setup)(GraphWorld& world, ClassRegistration& override);
        HRESULT result;
        const char* printed;
    } cases[] = {
        {"network type",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.getNetworkTypeResult = E_OUTOFMEMORY;
         },
         E_OUTOFMEMORY, "ITuningSpace::Get Network Type failed\n"},
        {"not a class id",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.networkTypeText = L"DVB-S";
         },
         CO_E_CLASSSTRING, "Couldn't get CLSIDFromString\n"},
        {"no provider",
         [](GraphWorld&, ClassRegistration& override) {
             override = RegisterClass(CLSID_DVBSNetworkProvider, nullptr);
         },
         REGDB_E_CLASSNOTREG, "Couldn't CoCreate Network Provider\n"},
        {"not added",
         [](GraphWorld& world, ClassRegistration&) {
             world.script.addFilterResults[L"Network Provider"] = E_FAIL;
         },
         E_FAIL, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        local.Install();
        ClassRegistration override;
        c.setup(local, override);
        BdaGraph& fresh = local.NewGraph();
        HRESULT hr = E_UNEXPECTED;
        const std::string printed = CaptureStdout([&] { hr = fresh.LoadNetworkProvider(Name()); });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        local.graph.reset();
    }
}

TEST_F(Tuning, TuneRequestFailures) {
    // Each failure is set up once the tuning space exists, except the clone's interface,
    // which is decided when the clone is made.
    struct Case {
        const char* what;
        void (*setup)(GraphWorld& world, ClassRegistration& override);
        HRESULT result;
        const char* printed;
        bool beforeTuningSpace = false;
    } cases[] = {
        {"clone without DVB-S interface",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.clonesAnswerDvbs = false;
         },
         E_FAIL, "Cannot QI for an IDVBSTuningSpace\n", true},
        {"request not made",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.createTuneRequestResult = E_OUTOFMEMORY;
         },
         E_OUTOFMEMORY, "CreateTuneRequest: Can't create tune request.\n"},
        {"request without DVB interface",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.requestsAnswerDvb = false;
         },
         E_FAIL, "CreateDVBSTuneRequest: Can't QI for IDVBTuneRequest.\n"},
        {"no locator",
         [](GraphWorld&, ClassRegistration& override) {
             override = RegisterClass(CLSID_DVBSLocator, FailingFactory(E_ACCESSDENIED));
         },
         E_ACCESSDENIED, ""},
        {"frequency refused",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.putCarrierFrequencyResult = E_INVALIDARG;
         },
         E_INVALIDARG, "put_CarrierFrequency failed\n"},
        {"locator refused",
         [](GraphWorld& world, ClassRegistration&) {
             world.tuning.settings.putLocatorResult = E_HANDLE;
         },
         E_HANDLE, "Cannot put the locator\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        BdaGraph& fresh = local.NewGraph();
        ClassRegistration override;
        if (c.beforeTuningSpace)
            c.setup(local, override);
        CaptureStdout([&] { ASSERT_EQ(fresh.CreateTuningSpace(Name()), S_OK); });
        if (!c.beforeTuningSpace)
            c.setup(local, override);
        ComPtr<IDVBTuneRequest> request;
        HRESULT hr = E_UNEXPECTED;
        const std::string printed = CaptureStdout([&] { hr = fresh.CreateTuneRequest(&request); });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_FALSE(request);
        local.graph.reset();
    }
}

TEST_F(Tuning, ATuneRequestNeedsAPlaceAndATuningSpace) {
    std::string debugText;
    auto previous = SetDebugOutputSink([&](const char* text) { debugText += text; });
    HRESULT hr = S_OK;
    std::string printed = CaptureStdout([&] { hr = graph->CreateTuneRequest(nullptr); });
    SetDebugOutputSink(previous);
    EXPECT_EQ(hr, E_POINTER);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(debugText, "Invalid pointer\n");

    ComPtr<IDVBTuneRequest> request;
    printed = CaptureStdout([&] { hr = graph->CreateTuneRequest(&request); });
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(printed, "Tuning Space is NULL\n");
}

TEST_F(Tuning, AFailedSecondTuneTearsTheGraphDown) {
    struct Case {
        const char* what;
        void (*fail)(GraphWorld& world);
        HRESULT result;
        const char* printed;
    } cases[] = {
        {"request",
         [](GraphWorld& world) { world.tuning.settings.createTuneRequestResult = E_OUTOFMEMORY; },
         E_OUTOFMEMORY,
         "CreateTuneRequest: Can't create tune request.\nCannot create tune request\n"},
        {"submission",
         [](GraphWorld& world) { world.networkTuner->putTuneRequestResult = E_INVALIDARG; },
         E_INVALIDARG, "Cannot submit the tune request\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        BdaGraph& fresh = local.NewGraph();
        CaptureStdout([&] { ASSERT_EQ(fresh.BuildGraph(Name()), S_OK); });
        c.fail(local);
        HRESULT hr = E_UNEXPECTED;
        const std::string printed = CaptureStdout([&] { hr = fresh.SubmitTuneRequest(); });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_TRUE(fresh.graphFailed);
        EXPECT_FALSE(fresh.graphBuilt);
        EXPECT_TRUE(local.FiltersInGraph().empty());
        EXPECT_FALSE(fresh.pTunerFilter);
        local.graph.reset();
    }
}
