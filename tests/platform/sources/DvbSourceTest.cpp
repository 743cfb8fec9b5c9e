// The Linux DVB tuner source over a fake device API: the adapters it opens and why it cannot,
// what a tune sends and why it fails, the bounded wait for lock, and the source in the graph's
// own build sequence, where it is tuned from the real tuning objects and refuses the vendor
// command.

#include <gtest/gtest.h>
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-v5-std.h>

#include "SourceTestSupport.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/sources/DvbDevices.h"
#include "platform/sources/DvbTuneSettings.h"
#include "support/FakeDemultiplexer.h"
#include "support/FakeDvbDeviceApi.h"
#include "support/FakeFilter.h"
#include "support/MemoryStream.h"
#include "support/StdoutCapture.h"

using namespace sourcetest;
using namespace std::chrono_literals;

namespace {

DvbFrontendPaths Paths() {
    return {0, 0, "/dev/dvb/adapter0/frontend0", "/dev/dvb/adapter0/demux0",
            "/dev/dvb/adapter0/dvr0"};
}

TuneParameters Transponder(Polarisation polarisation = BDA_POLARISATION_LINEAR_V,
                           ModulationType modulation = BDA_MOD_QPSK) {
    TuneParameters tune;
    tune.carrierFrequency = 12303000;
    tune.symbolRate = 27500;
    tune.polarisation = polarisation;
    tune.innerFec = BDA_FEC_VITERBI;
    tune.modulation = modulation;
    tune.lowOscillator = 9750000;
    tune.highOscillator = 10600000;
    tune.lnbSwitch = 11700000;
    return tune;
}

DvbFrontendReading Unlocked() {
    DvbFrontendReading reading;
    reading.status = FE_HAS_SIGNAL | FE_HAS_CARRIER;
    return reading;
}

class DvbSourceTest : public ::testing::Test {
protected:
    std::shared_ptr<DvbSource> Open() {
        std::shared_ptr<DvbSource> source;
        opened = CaptureStdout([&] { source = DvbSource::Open(Paths(), api, api->Timing()); });
        return source;
    }

    std::shared_ptr<FakeDvbDeviceApi> api = std::make_shared<FakeDvbDeviceApi>();
    std::string opened;
};

TEST_F(DvbSourceTest, AdaptersThatCannotBeTakenSayWhichFileAndWhatToDo) {
    struct Case {
        const char* what;
        std::function<void(FakeDvbDeviceApi&)> script;
        std::string line;
    };
    const Case cases[] = {
        {"forbidden", [](FakeDvbDeviceApi& a) { a.openFrontendError = EACCES; },
         "Cannot open /dev/dvb/adapter0/frontend0: permission denied (add your user to the "
         "'video' group and log in again)"},
        {"busy", [](FakeDvbDeviceApi& a) { a.openFrontendError = EBUSY; },
         "Cannot open /dev/dvb/adapter0/frontend0: busy (another program is using the "
         "adapter)"},
        {"gone", [](FakeDvbDeviceApi& a) { a.openFrontendError = ENOENT; },
         "Cannot open /dev/dvb/adapter0/frontend0: no such device (is the adapter's driver "
         "loaded?)"},
        {"other", [](FakeDvbDeviceApi& a) { a.openFrontendError = EIO; },
         "Cannot open /dev/dvb/adapter0/frontend0: Input/output error"},
        {"terrestrial",
         [](FakeDvbDeviceApi& a) {
             a.deliverySystems = {SYS_DVBT, SYS_DVBT2};
         },
         "Cannot use /dev/dvb/adapter0/frontend0: not a satellite (DVB-S/S2) frontend"},
        {"dvr busy", [](FakeDvbDeviceApi& a) { a.openInputError = EBUSY; },
         "Cannot open /dev/dvb/adapter0/dvr0: busy (another program is using the adapter)"},
        {"demux forbidden",
         [](FakeDvbDeviceApi& a) {
             a.openInputError = EACCES;
             a.openInputFailsOnDemux = true;
         },
         "Cannot open /dev/dvb/adapter0/demux0: permission denied (add your user to the "
         "'video' group and log in again)"},
    };
    for (const Case& c : cases) {
        api = std::make_shared<FakeDvbDeviceApi>();
        c.script(*api);
        EXPECT_FALSE(Open()) << c.what;
        // After the graph's unterminated "Loading filter" text: a line of its own.
        EXPECT_EQ(opened, "\n" + c.line + "\n") << c.what;
    }
    api = std::make_shared<FakeDvbDeviceApi>();
    api->deliverySystems = {SYS_DVBS};
    EXPECT_TRUE(Open());
    EXPECT_EQ(opened, "");
}

TEST_F(DvbSourceTest, ATuneSendsTheSettingsOfTheTransponder) {
    std::shared_ptr<DvbSource> source = Open();
    ASSERT_TRUE(source);
    for (const TuneParameters& tune : {Transponder(BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK),
                                       Transponder(BDA_POLARISATION_LINEAR_H, BDA_MOD_8PSK)}) {
        EXPECT_EQ(CaptureStdout([&] { EXPECT_EQ(source->Tune(tune), S_OK); }), "");
        std::string reason;
        ASSERT_FALSE(api->tunes.empty());
        EXPECT_EQ(api->tunes.back().properties, DvbTuneSettingsFor(tune, reason)->properties);
        EXPECT_EQ(api->tunes.back().deliverySystem,
                  DvbTuneSettingsFor(tune, reason)->deliverySystem);
    }
    EXPECT_EQ(api->tunes.size(), 2u);
}

TEST_F(DvbSourceTest, FailedTunesSayWhyOncePerReason) {
    struct Case {
        const char* what;
        std::function<void(FakeDvbDeviceApi&, TuneParameters&)> script;
        HRESULT result;
        bool sent;
        std::string reason;
    };
    const Case cases[] = {
        {"no frequency", [](FakeDvbDeviceApi&, TuneParameters& t) { t.carrierFrequency = 0; },
         E_INVALIDARG, false, "no transponder frequency"},
        {"DVB-S only",
         [](FakeDvbDeviceApi& a, TuneParameters& t) {
             a.deliverySystems = {SYS_DVBS};
             t.modulation = BDA_MOD_8PSK;
         },
         E_INVALIDARG, false,
         "the frontend does not receive DVB-S2 (set DVBS2=0 for a DVB-S transponder)"},
        {"no LNB", [](FakeDvbDeviceApi& a, TuneParameters&) { a.hasLnb = false; }, E_INVALIDARG,
         false, "libdvbv5 knows no LNB with oscillators 9750/10600 MHz, switch at 11700 MHz"},
        {"driver", [](FakeDvbDeviceApi& a, TuneParameters&) { a.tuneError = EINVAL; }, E_FAIL, true,
         "12303000 kHz vertical (high band), 27500 ksymbols/s, DVB-S QPSK: Invalid argument"},
    };
    for (const Case& c : cases) {
        api = std::make_shared<FakeDvbDeviceApi>();
        TuneParameters tune = Transponder();
        c.script(*api, tune);
        std::shared_ptr<DvbSource> source = Open();
        ASSERT_TRUE(source) << c.what;
        // The first tune comes while the graph connects the tuner, after its unterminated
        // "Loading filter" text; the second one, with the same request, adds nothing.
        const std::string printed = CaptureStdout([&] {
            EXPECT_EQ(source->Tune(tune), c.result) << c.what;
            EXPECT_EQ(source->Tune(tune), c.result) << c.what;
        });
        EXPECT_EQ(printed, "\nCannot tune /dev/dvb/adapter0/frontend0: " + c.reason + "\n")
            << c.what;
        EXPECT_EQ(api->tunes.size(), c.sent ? 2u : 0u) << c.what;
        // A failed tune is not waited for.
        SignalStatistics statistics;
        api->readings = {Unlocked()};
        EXPECT_EQ(source->GetSignalStatistics(statistics), S_OK);
        EXPECT_FALSE(statistics.locked);
        EXPECT_TRUE(api->sleeps.empty()) << c.what;
    }
}

TEST_F(DvbSourceTest, TheSignalIsReadOnceLockedOrAfterTheLockWait) {
    std::shared_ptr<DvbSource> source = Open();
    ASSERT_TRUE(source);
    DvbFrontendReading locked;
    locked.status = FE_HAS_SIGNAL | FE_HAS_CARRIER | FE_HAS_VITERBI | FE_HAS_SYNC | FE_HAS_LOCK;
    locked.strength = {DvbStatistic::Scale::Relative, 52428};
    locked.cnr = {DvbStatistic::Scale::Decibel, 12000};

    // Locks on the fourth reading.
    ASSERT_EQ(source->Tune(Transponder()), S_OK);
    api->readings = {Unlocked(), Unlocked(), Unlocked(), locked};
    api->reads = 0;
    SignalStatistics statistics;
    EXPECT_EQ(source->GetSignalStatistics(statistics), S_OK);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(statistics.strength, 80);
    EXPECT_EQ(statistics.quality, 80);
    EXPECT_EQ(api->reads, 4);
    EXPECT_EQ(api->sleeps, (std::vector<std::chrono::milliseconds>{50ms, 50ms, 50ms}));

    // Never locks: the wait ends 3 s after the tune, and later readings do not wait again.
    api->sleeps.clear();
    ASSERT_EQ(source->Tune(Transponder()), S_OK);
    api->readings = {Unlocked()};
    EXPECT_EQ(source->GetSignalStatistics(statistics), S_OK);
    EXPECT_FALSE(statistics.locked);
    std::chrono::milliseconds waited{0};
    for (const std::chrono::milliseconds pause : api->sleeps) {
        EXPECT_LE(pause, DvbSource::kLockPoll);
        waited += pause;
    }
    EXPECT_EQ(waited, DvbSource::kLockWait);
    const size_t sleepsBefore = api->sleeps.size();
    EXPECT_EQ(source->GetSignalStatistics(statistics), S_OK);
    EXPECT_EQ(api->sleeps.size(), sleepsBefore);

    // Locked at once: no wait.
    api->sleeps.clear();
    ASSERT_EQ(source->Tune(Transponder()), S_OK);
    api->readings = {locked};
    EXPECT_EQ(source->GetSignalStatistics(statistics), S_OK);
    EXPECT_TRUE(statistics.locked);
    EXPECT_TRUE(api->sleeps.empty());
}

TEST_F(DvbSourceTest, AFrontendThatCannotBeReadFailsTheReadingAndSaysSoOnce) {
    std::shared_ptr<DvbSource> source = Open();
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Tune(Transponder()), S_OK);
    api->readError = EIO;
    SignalStatistics statistics{true, 5, 5};
    const std::string printed = CaptureStdout([&] {
        EXPECT_EQ(source->GetSignalStatistics(statistics), E_FAIL);
        EXPECT_EQ(source->GetSignalStatistics(statistics), E_FAIL);
    });
    EXPECT_EQ(printed,
              "Cannot read the signal of /dev/dvb/adapter0/frontend0: "
              "Input/output error\n");
    EXPECT_TRUE(api->sleeps.empty());
}

// The graph's build, tune, signal check and vendor command on a DVB tuner device.
class DvbSourceInGraph : public ::testing::Test {
protected:
    DvbSourceInGraph() {
        FakeFilterConfig tif;
        tif.pins = {FakePinConfig::Input(L"In")};
        tifDevice = DeviceRegistry::Register(KSCATEGORY_BDA_TRANSPORT_INFORMATION,
                                             FakeFilter::Device(L"Test TIF", tif));
        proxy->GetOwner()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&proxyReference));
        std::filesystem::create_directories(dir.path / "adapter0");
        dir.WriteText("adapter0/frontend0", "");
        api->names["adapter0/frontend0"] = "STV090x Multistandard";
        for (DeviceDescription& device : DvbFrontendDevices(dir.path, api, api->Timing()))
            devices.push_back(
                DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER, std::move(device)));
    }

    std::string Build(HRESULT expected) {
        graph.pParserProxy = proxy;
        HRESULT hr = S_OK;
        const std::string printed =
            CaptureStdout([&] { hr = graph.BuildGraph(SysAllocString(L"Tavolin")); });
        EXPECT_EQ(hr, expected);
        return printed;
    }

    TempDir dir;
    std::shared_ptr<FakeDvbDeviceApi> api = std::make_shared<FakeDvbDeviceApi>();
    std::vector<DeviceRegistration> devices;
    ClassRegistration demuxClass =
        RegisterClass(CLSID_MPEG2Demultiplexer, FakeDemultiplexer::Factory({}));
    DeviceRegistration tifDevice;
    MemoryStream document;
    DVBFilterToParserProxy* proxy = new DVBFilterToParserProxy(document.File());
    ComPtr<IUnknown> proxyReference;
    BdaGraph graph;  // destroyed first
};

TEST_F(DvbSourceInGraph, TunedFromTheGraphsParametersLockedAndTheVendorCommandRefused) {
    graph.carrierFrequency = 11494000;
    graph.symbolRate = 22000;
    graph.polarisation = 1;
    graph.dvbs2 = 2;
    DvbFrontendReading locked;
    locked.status = FE_HAS_LOCK;
    locked.strength = {DvbStatistic::Scale::Decibel, -40000};
    locked.qualityGrade = 2;
    api->readings = {Unlocked(), locked};

    EXPECT_EQ(Build(S_OK),
              "Loading filter \"STV090x Multistandard\" - succeeded!\n"
              "Tuner Filter Info = \"STV090x Multistandard\"\n"
              "LoadFilter(): Class not found, CreateClassEnumerator returned "
              "S_FALSE\n"
              "Loading filter \"Test TIF\" - succeeded!\n");
    EXPECT_EQ(graph.SubmitTuneRequest(), S_OK);
    // Once while the tuner was connected, once more after the build.
    ASSERT_EQ(api->tunes.size(), 2u);
    for (const DvbTuneSettings& sent : api->tunes) {
        EXPECT_EQ(sent.deliverySystem, static_cast<uint32_t>(SYS_DVBS2));
        EXPECT_EQ(sent.properties,
                  (std::vector<DvbProperty>{{DTV_FREQUENCY, 11494000},
                                            {DTV_INVERSION, INVERSION_AUTO},
                                            {DTV_SYMBOL_RATE, 22000000},
                                            {DTV_INNER_FEC, FEC_AUTO},
                                            {DTV_MODULATION, PSK_8},
                                            {DTV_PILOT, PILOT_AUTO},
                                            {DTV_ROLLOFF, ROLLOFF_AUTO},
                                            {DTV_POLARIZATION, POLARIZATION_H},
                                            {DTV_STREAM_ID, NO_STREAM_ID_FILTER}}));
        EXPECT_EQ(sent.lnb, (DvbLnb{9750000, 10600000, 11700000}));
        EXPECT_FALSE(sent.highBand);
        EXPECT_EQ(sent.voltage, 18);
    }

    BOOLEAN isLocked = 0;
    LONG quality = 0, strength = 0;
    EXPECT_TRUE(graph.GetSignalStatus(isLocked, quality, strength));
    EXPECT_EQ(isLocked, 1);
    EXPECT_EQ(quality, 67);
    EXPECT_EQ(strength, 75);
    EXPECT_EQ(api->sleeps, std::vector<std::chrono::milliseconds>{50ms});
    // Linux drivers know no vendor command; the run goes on.
    EXPECT_FALSE(graph.SetPidFilter());
    EXPECT_EQ(graph.RunGraph(), S_OK);
    EXPECT_EQ(graph.StopGraph(), S_OK);
}

TEST_F(DvbSourceInGraph, AFailedTuneKeepsTheGraphsLinesWhole) {
    api->tuneError = EIO;
    EXPECT_EQ(Build(S_OK),
              "Loading filter \"STV090x Multistandard\"\n"
              "Cannot tune " +
                  dir.File("adapter0/frontend0") +
                  ": 12303000 kHz vertical (high band), 26400 ksymbols/s, DVB-S "
                  "QPSK: Input/output error\n"
                  " - succeeded!\n"
                  "Tuner Filter Info = \"STV090x Multistandard\"\n"
                  "LoadFilter(): Class not found, CreateClassEnumerator returned "
                  "S_FALSE\n"
                  "Loading filter \"Test TIF\" - succeeded!\n");
    HRESULT hr = S_OK;
    EXPECT_EQ(CaptureStdout([&] { hr = graph.SubmitTuneRequest(); }),
              "Cannot submit the tune request\n");
    EXPECT_TRUE(FAILED(hr));
    BOOLEAN isLocked = 1;
    LONG quality = 0, strength = 0;
    graph.GetSignalStatus(isLocked, quality, strength);
    EXPECT_EQ(isLocked, 0);
}

TEST_F(DvbSourceInGraph, AnAdapterThatCannotBeOpenedFailsTheBuildWithItsReason) {
    api->openFrontendError = EBUSY;
    EXPECT_EQ(Build(E_FAIL),
              "Loading filter \"STV090x Multistandard\"\n"
              "Cannot open " +
                  dir.File("adapter0/frontend0") +
                  ": busy (another program is using the adapter)\n"
                  "Cannot load tuner device and connect network provider\n");
}

}  // namespace
