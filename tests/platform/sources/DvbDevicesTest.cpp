// The DVB frontends as tuner devices: found in a device tree in numeric order with their
// demux and dvr, named as the frontends call themselves, listed after the capture sources;
// the real device calls refuse files that are no DVB devices without touching libdvbv5.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "SourceTestSupport.h"
#include "platform/Platform.h"
#include "platform/sources/DvbDevices.h"
#include "platform/sources/DvbFrontendTree.h"
#include "platform/sources/DvbV5DeviceApi.h"
#include "platform/sources/SourceDevices.h"
#include "support/FakeDvbDeviceApi.h"
#include "support/ScopedEnvironment.h"

using namespace sourcetest;

namespace {

class DvbDevices : public ::testing::Test {
protected:
    void Touch(const std::string& path) {
        std::filesystem::create_directories((dir.path / path).parent_path());
        dir.WriteText(path, "");
    }
    // A tree as the kernel makes it for three adapters, one with two frontends sharing a
    // demux, one with a demux and dvr per frontend, and things that are not frontends.
    void MakeTree() {
        for (const char* path :
             {"adapter0/frontend0", "adapter0/frontend1", "adapter0/demux0", "adapter0/dvr0",
              "adapter0/net0", "adapter1/frontend1", "adapter1/frontend0", "adapter1/demux0",
              "adapter1/demux1", "adapter1/dvr0", "adapter1/dvr1", "adapter10/frontend0",
              "adapter9/frontend0", "adapter01/frontend0", "adapterX/frontend0",
              "adapter3/frontend", "adapter3/frontend0.old", "adapter3/frontend-1"})
            Touch(path);
        std::filesystem::create_directories(dir.path / "adapter2");
        Touch("adapter4");  // a file, not a folder
    }
    std::string Path(const std::string& relative) const { return dir.File(relative); }

    TempDir dir;
};

TEST_F(DvbDevices, FrontendsInNumericOrderWithTheirDemuxAndDvr) {
    MakeTree();
    const std::vector<DvbFrontendPaths> found = FindDvbFrontends(dir.path);
    struct Expected {
        int adapter, frontend;
        const char *demux, *dvr;
    };
    const Expected expected[] = {
        {0, 0, "adapter0/demux0", "adapter0/dvr0"}, {0, 1, "adapter0/demux0", "adapter0/dvr0"},
        {1, 0, "adapter1/demux0", "adapter1/dvr0"}, {1, 1, "adapter1/demux1", "adapter1/dvr1"},
        {9, 0, "adapter9/demux0", "adapter9/dvr0"}, {10, 0, "adapter10/demux0", "adapter10/dvr0"},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    for (size_t i = 0; i < found.size(); ++i) {
        const Expected& e = expected[i];
        EXPECT_EQ(found[i].adapter, e.adapter) << i;
        EXPECT_EQ(found[i].frontend, e.frontend) << i;
        EXPECT_EQ(found[i].frontendPath, Path("adapter" + std::to_string(e.adapter) + "/frontend" +
                                              std::to_string(e.frontend)));
        EXPECT_EQ(found[i].demuxPath, Path(e.demux)) << i;
        EXPECT_EQ(found[i].dvrPath, Path(e.dvr)) << i;
    }
    EXPECT_TRUE(FindDvbFrontends(Path("missing")).empty());
    EXPECT_TRUE(FindDvbFrontends(Path("adapter2")).empty());
}

TEST_F(DvbDevices, NamedAsTheFrontendsCallThemselves) {
    MakeTree();
    auto api = std::make_shared<FakeDvbDeviceApi>();
    api->names = {{"adapter0/frontend0", "STV090x Multistandard"},
                  {"adapter1/frontend1", "Montage M88DS3103"},
                  {"adapter9/frontend0", ""}};
    std::vector<std::wstring> names;
    for (const DeviceDescription& device : DvbFrontendDevices(dir.path, api))
        names.push_back(device.friendlyName.value_or(L"(none)"));
    // Where no name can be read, the device is still there for its bind to say why.
    EXPECT_EQ(names,
              (std::vector<std::wstring>{L"STV090x Multistandard", L"DVB adapter0 frontend1",
                                         L"DVB adapter1 frontend0", L"Montage M88DS3103",
                                         L"DVB adapter9 frontend0", L"DVB adapter10 frontend0"}));
}

TEST_F(DvbDevices, EachBindOpensItsOwnFrontend) {
    MakeTree();
    auto api = std::make_shared<FakeDvbDeviceApi>();
    std::vector<DeviceRegistration> registered;
    for (DeviceDescription& device : DvbFrontendDevices(dir.path, api))
        registered.push_back(
            DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER, std::move(device)));
    EXPECT_TRUE(BindTuner(4));
    EXPECT_TRUE(BindTuner(1));
    EXPECT_EQ(api->openedFrontends,
              (std::vector<std::string>{Path("adapter1/frontend1"), Path("adapter0/frontend0")}));
}

TEST_F(DvbDevices, ListedAfterTheCaptureSourcesFromTheConfiguredRoot) {
    MakeTree();
    EXPECT_EQ(DvbDeviceRoot(), ::getenv("EPGHARVEST_DVB_ROOT") ? ::getenv("EPGHARVEST_DVB_ROOT")
                                                               : std::string("/dev/dvb"));
    ScopedEnvironment root("EPGHARVEST_DVB_ROOT", dir.path.string());
    EXPECT_EQ(DvbDeviceRoot(), dir.path.string());
    const std::string config = dir.WriteText(
        "epg.ini",
        "[Tuner]\nTransponder=12303000\n[Capture]\nFile=a.ts\nUrl=udp://239.1.1.1:1234\n");
    ASSERT_TRUE(StartPlatform(config));
    std::vector<std::wstring> names;
    for (const DeviceDescription& device : DeviceRegistry::Devices(KSCATEGORY_BDA_NETWORK_TUNER))
        names.push_back(device.friendlyName.value_or(L"(none)"));
    StopPlatform();
    // Empty files have no frontend name to read.
    EXPECT_EQ(names, (std::vector<std::wstring>{
                         L"Capture file " + WideFromUtf8(dir.File("a.ts")), L"UDP 239.1.1.1:1234",
                         L"DVB adapter0 frontend0", L"DVB adapter0 frontend1",
                         L"DVB adapter1 frontend0", L"DVB adapter1 frontend1",
                         L"DVB adapter9 frontend0", L"DVB adapter10 frontend0"}));
    ScopedEnvironment empty("EPGHARVEST_DVB_ROOT", "");
    EXPECT_EQ(DvbDeviceRoot(), "/dev/dvb");
}

TEST_F(DvbDevices, TheRealCallsRefuseFilesThatAreNoDvbDevices) {
    Touch("adapter0/frontend0");
    const std::shared_ptr<DvbDeviceApi> api = MakeDvbV5DeviceApi();
    DvbFrontendPaths paths{0, 0, Path("adapter0/frontend0"), Path("adapter0/demux0"),
                           Path("adapter0/dvr0")};
    std::string name;
    EXPECT_EQ(api->ReadFrontendName(paths, name), ENOTTY);
    std::unique_ptr<DvbFrontend> frontend;
    EXPECT_EQ(api->OpenFrontend(paths, frontend), ENODEV);
    EXPECT_FALSE(frontend);
    std::unique_ptr<DvbTransportInput> input;
    std::string failed;
    EXPECT_EQ(api->OpenTransportInput(paths, input, failed), ENOENT);
    EXPECT_EQ(failed, Path("adapter0/dvr0"));
    paths.frontendPath = Path("adapter0/frontend7");
    EXPECT_EQ(api->OpenFrontend(paths, frontend), ENOENT);
    // libdvbv5's own LNB table has the universal LNB of the tuning space.
    EXPECT_TRUE(api->HasLnb({9750000, 10600000, 11700000}));
    EXPECT_FALSE(api->HasLnb({9750000, 10600000, 11800000}));
}

}  // namespace
