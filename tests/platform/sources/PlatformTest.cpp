// Start-up from the [Capture] section: which tuner devices there are, in which order, under
// which names; what is refused at start-up and what when a tuner is bound.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "SourceTestSupport.h"
#include "platform/Platform.h"
#include "platform/sources/SourceDevices.h"
#include "si/SectionParser.h"

using namespace sourcetest;

namespace {

class Platform : public ::testing::Test {
protected:
    void TearDown() override {
        StopPlatform();
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }
    std::string Config(const std::string& capture) {
        return dir.WriteText("epg.ini", "[Tuner]\nTransponder=12303000\n\n[Capture]\n" + capture);
    }
    // Friendly names of the tuner devices, in order.
    static std::vector<std::wstring> Tuners() {
        std::vector<std::wstring> names;
        ComPtr<ICreateDevEnum> devices;
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_ICreateDevEnum,
                         reinterpret_cast<void**>(&devices));
        ComPtr<IEnumMoniker> monikers;
        if (devices->CreateClassEnumerator(KSCATEGORY_BDA_NETWORK_TUNER, &monikers, 0) != S_OK)
            return names;
        ComPtr<IMoniker> moniker;
        while (monikers->Next(1, &moniker, nullptr) == S_OK) {
            ComPtr<IPropertyBag> bag;
            moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                   reinterpret_cast<void**>(&bag));
            VARIANT name;
            VariantInit(&name);
            bag->Read(L"FriendlyName", &name, nullptr);
            names.emplace_back(name.bstrVal);
            VariantClear(&name);
        }
        return names;
    }

    const LONG objectsBefore = CBaseObject::ObjectsActive();
    TempDir dir;
};

TEST_F(Platform, TunersAreTheFileThenTheUrlNamedForWhatTheyAre) {
    ASSERT_TRUE(StartPlatform(
        Config("File = recordings/12303V.ts\nUrl=udp://239.1.1.1:1234\nClock=system\n")));
    const std::wstring folder = WideFromUtf8(dir.path.string());
    EXPECT_EQ(Tuners(),
              (std::vector<std::wstring>{L"Capture file " + folder + L"/recordings/12303V.ts",
                                         L"UDP 239.1.1.1:1234"}));
    StopPlatform();
    EXPECT_TRUE(Tuners().empty());

    ASSERT_TRUE(StartPlatform(Config("Url=rtp://@:5004\nFile=/srv/captures/a.ts\n")));
    EXPECT_EQ(Tuners(),
              (std::vector<std::wstring>{L"Capture file /srv/captures/a.ts", L"RTP 0.0.0.0:5004"}));
    // A second start-up replaces the first.
    ASSERT_TRUE(StartPlatform(Config("Url=udp://127.0.0.1:5000\n")));
    EXPECT_EQ(Tuners(), std::vector<std::wstring>{L"UDP 127.0.0.1:5000"});
}

TEST_F(Platform, NoCaptureSectionOrEmptyValuesGiveNoSourceTuners) {
    ASSERT_TRUE(StartPlatform(dir.WriteText("plain.ini", "[Tuner]\nTransponder=12303000\n")));
    EXPECT_TRUE(Tuners().empty());
    ASSERT_TRUE(StartPlatform(Config("File=\nUrl=\nClock=\n")));
    EXPECT_TRUE(Tuners().empty());
    // A configuration that cannot be read has no [Capture] either: the run control reports it.
    ASSERT_TRUE(StartPlatform(dir.File("missing.ini")));
    EXPECT_TRUE(Tuners().empty());
}

TEST_F(Platform, InvalidValuesAreRefusedWithOneLineAndNothingRegistered) {
    struct Case {
        const char* capture;
        const char* line;
    };
    const Case cases[] = {
        {"File=a.ts\nClock=now\n",
         "Invalid Clock \"now\" in [Capture]: expected stream, system or a UTC time as "
         "YYYY-MM-DDTHH:MM:SSZ\n"},
        {"File=a.ts\nClock=2019-02-30T00:00:00Z\n",
         "Invalid Clock \"2019-02-30T00:00:00Z\" in [Capture]: no such date\n"},
        {"Url=udp://239.1.1.1\n", "Invalid Url \"udp://239.1.1.1\" in [Capture]: no port\n"},
        {"Url=tcp://host:80\n",
         "Invalid Url \"tcp://host:80\" in [Capture]: expected udp://host:port or "
         "rtp://host:port\n"},
    };
    for (const Case& c : cases) {
        CapturedStdout out;
        EXPECT_FALSE(StartPlatform(Config(c.capture))) << c.capture;
        EXPECT_EQ(out.Text(), c.line);
        EXPECT_TRUE(Tuners().empty()) << c.capture;
    }
}

TEST_F(Platform, ClocksAsConfigured) {
    EXPECT_TRUE(StartPlatform(Config("Clock=2019-01-22T12:00:00Z\n")));
    EXPECT_EQ(PlatformClock()(), 1548158400);
    StopPlatform();
    // The clock handed out stays good after shutdown.
    ASSERT_TRUE(StartPlatform(Config("Clock=system\n")));
    auto clock = PlatformClock();
    StopPlatform();
    const int64_t before = SystemUtcNow();
    const int64_t now = clock();
    EXPECT_GE(now, before);
    EXPECT_LE(now, SystemUtcNow());
}

// The errors a user meets when the graph binds a source tuner: one line each, naming the file
// or address, and the bind fails.
TEST_F(Platform, SourcesThatCannotBeOpenedSayWhyWhenBound) {
    dir.WriteText("empty.ts", "");
    std::filesystem::create_directory(dir.path / "folder.ts");

    struct Case {
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {"missing.ts", "No such file or directory"},
        {"empty.ts", "not a transport stream (the file is empty)"},
        {"folder.ts", "Is a directory"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(StartPlatform(Config("File=" + c.file + "\n")));
        CapturedStdout out;
        EXPECT_FALSE(BindTuner(1)) << c.file;
        EXPECT_EQ(out.Text(), "\nCapture file " + dir.File(c.file) + ": " + c.reason + "\n");
    }
}

// A file whose start holds no packets is said to, and read all the same: a recording may begin
// with junk, and one without any packets gives an empty guide rather than a failed run.
TEST_F(Platform, FilesWithoutPacketsAtTheStartAreReadWithAWarning) {
    dir.WriteText("text.ts", std::string(20000, 'x'));
    // Sync bytes, but not at packet steps.
    Bytes noise(20000, 0);
    for (size_t i = 1; i < noise.size(); i += 150)
        noise[i] = 0x47;
    dir.Write("noise.ts", noise);

    for (const std::string file : {"text.ts", "noise.ts"}) {
        ASSERT_TRUE(StartPlatform(Config("File=" + file + "\n")));
        CapturedStdout out;
        EXPECT_TRUE(BindTuner(1)) << file;
        EXPECT_EQ(out.Text(), "\nCapture file " + dir.File(file) +
                                  ": no packets in its first 16 KiB; reading on\n");
    }
}

TEST_F(Platform, AnAddressThatCannotBeBoundSaysWhyWhenBound) {
    // A socket that shares nothing holds the port.
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));

    ASSERT_TRUE(StartPlatform(Config("Url=udp://127.0.0.1:" + port + "\n")));
    {
        CapturedStdout out;
        EXPECT_FALSE(BindTuner(1));
        EXPECT_EQ(out.Text(),
                  "\nUDP 127.0.0.1:" + port + ": cannot bind: Address already in use\n");
    }
    ::close(holder);
    EXPECT_TRUE(BindTuner(1));

    ASSERT_TRUE(StartPlatform(Config("Url=udp://127.0.0.1:" + port + "?localaddr=127.0.0.1\n")));
    CapturedStdout out;
    EXPECT_FALSE(BindTuner(1));
    EXPECT_EQ(out.Text(), "\nUDP 127.0.0.1:" + port + ": localaddr is for multicast groups only\n");
}

TEST_F(Platform, TheEndOfTheCaptureReachesTheHandlerOnce) {
    ASSERT_TRUE(StartPlatform(
        Config("File=" + std::string(EPG_SOURCE_DIR) + "/tests/data/eit-pf-actual-other.ts\n")));
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;
    size_t sectionsThen = 0;
    TunerGraph graph(BindTuner(1));
    SetEndOfCaptureHandler([&] {
        std::lock_guard lock(mutex);
        ++calls;
        sectionsThen = graph.sink->Sections().size();
        changed.notify_all();
    });
    ASSERT_EQ(graph.Run(), S_OK);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return calls > 0; }));
    lock.unlock();
    graph.Stop();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sectionsThen, graph.sink->Sections().size());
    EXPECT_EQ(sectionsThen, SectionsOf(ReadTestData("eit-pf-actual-other.ts")).size());
}

}  // namespace
