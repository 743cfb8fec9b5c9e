// The graph's own build sequence on the real tuning objects, network provider and source
// tuners: the tuner is found by ordinal, tuned, reports a lock and takes the vendor command;
// a tuner that cannot be opened fails the build with its reason on a line of its own. (The
// demultiplexer and the TIF are stand-ins here.)

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "SourceTestSupport.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/Platform.h"
#include "support/FakeDemultiplexer.h"
#include "support/FakeFilter.h"
#include "support/MemoryStream.h"
#include "support/StdoutCapture.h"

using namespace sourcetest;

namespace {

// A UDP port that is free right now.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

class BdaGraphOnSources : public ::testing::Test {
protected:
    BdaGraphOnSources() {
        FakeFilterConfig tif;
        tif.pins = {FakePinConfig::Input(L"In")};
        tifDevice = DeviceRegistry::Register(KSCATEGORY_BDA_TRANSPORT_INFORMATION,
                                             FakeFilter::Device(L"Test TIF", tif));
        proxy->GetOwner()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&proxyReference));
    }
    void TearDown() override { StopPlatform(); }

    // Builds with the tuner at `ordinal`; what the build printed.
    std::string Build(LONG ordinal, HRESULT expected) {
        graph.tunerOrdinal = ordinal;
        graph.pParserProxy = proxy;
        HRESULT hr = S_OK;
        const std::string printed =
            CaptureStdout([&] { hr = graph.BuildGraph(SysAllocString(L"Tavolin")); });
        EXPECT_EQ(hr, expected);
        return printed;
    }

    TempDir dir;
    ClassRegistration demuxClass =
        RegisterClass(CLSID_MPEG2Demultiplexer, FakeDemultiplexer::Factory({}));
    DeviceRegistration tifDevice;
    MemoryStream document;
    DVBFilterToParserProxy* proxy = new DVBFilterToParserProxy(document.File());
    ComPtr<IUnknown> proxyReference;
    BdaGraph graph;  // destroyed first
};

TEST_F(BdaGraphOnSources, TheCaptureTunerBuildsLocksAndTakesTheVendorCommand) {
    const std::string capture = std::string(EPG_SOURCE_DIR) + "/tests/data/sdt-eit-pf.ts";
    const std::string udp = "UDP 127.0.0.1:" + std::to_string(FreePort());
    ASSERT_TRUE(StartPlatform(dir.WriteText(
        "epg.ini", "[Capture]\nFile=" + capture + "\nUrl=udp://" + udp.substr(4) + "\n")));

    EXPECT_EQ(Build(1, S_OK), "Loading filter \"Capture file " + capture +
                                  "\" - succeeded!\n"
                                  "Tuner Filter Info = \"Capture file " +
                                  capture +
                                  "\"\n"
                                  "LoadFilter(): Class not found, CreateClassEnumerator returned "
                                  "S_FALSE\n"
                                  "Loading filter \"Test TIF\" - succeeded!\n");
    EXPECT_EQ(graph.SubmitTuneRequest(), S_OK);
    BOOLEAN locked = 0;
    LONG quality = 0, strength = 0;
    EXPECT_TRUE(graph.GetSignalStatus(locked, quality, strength));
    EXPECT_EQ(locked, 1);
    EXPECT_EQ(quality, 100);
    EXPECT_EQ(strength, 100);
    EXPECT_TRUE(graph.SetPidFilter());
    EXPECT_EQ(graph.RunGraph(), S_OK);
    EXPECT_EQ(graph.StopGraph(), S_OK);

    // The second tuner is the Url source, which builds the same way.
    EXPECT_EQ(Build(2, S_OK), "Loading filter \"" + udp +
                                  "\" - succeeded!\n"
                                  "Tuner Filter Info = \"" +
                                  udp +
                                  "\"\n"
                                  "LoadFilter(): Class not found, CreateClassEnumerator returned "
                                  "S_FALSE\n"
                                  "Loading filter \"Test TIF\" - succeeded!\n");
    EXPECT_TRUE(graph.GetSignalStatus(locked, quality, strength));
    EXPECT_EQ(locked, 1);
}

TEST_F(BdaGraphOnSources, ACaptureThatCannotBeOpenedFailsTheBuildWithItsReason) {
    ASSERT_TRUE(StartPlatform(dir.WriteText("epg.ini", "[Capture]\nFile=missing.ts\n")));
    const std::string file = dir.File("missing.ts");
    EXPECT_EQ(Build(1, E_FAIL), "Loading filter \"Capture file " + file +
                                    "\"\n"
                                    "Capture file " +
                                    file +
                                    ": No such file or directory\n"
                                    "Cannot load tuner device and connect network provider\n");
}

}  // namespace
