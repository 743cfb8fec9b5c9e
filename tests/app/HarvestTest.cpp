// Whole runs of the binary: a replayed capture, a UDP source that goes quiet, signals, a second
// process on the same output file, a failed build.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "BinaryFixture.h"
#include "HarvestScenario.h"
#include "UdpFeeder.h"
#include "sibuild/DvbTime.h"
#include "support/XmlDocumentCheck.h"

namespace {

using namespace std::chrono_literals;

const int64_t broadcastTime = sibuild::UtcSeconds(2019, 1, 22, 12, 0, 0);
const char lockedLine[] = "Signal locked, quality=100, strength=100\n";

// Whether the process has a handler of its own installed for the signal.
bool CatchesSignal(pid_t pid, int signalNumber) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signalNumber - 1)) & 1;
    }
    return false;
}

class HarvestTest : public BinaryTest {
protected:
    // A capture of two carousel rounds: the second brings nothing new.
    void WriteCapture(const std::string& name, const HarvestScenario& scenario) const {
        ScenarioCarousel carousel(scenario);
        WriteFile(name, sibuild::Concat({carousel.NextRound(), carousel.NextRound()}));
    }
    std::string UdpConfig(uint16_t port, int timeout) const {
        return "[Tuner]\nTransponder=12303000\nTimeout=" + std::to_string(timeout) +
               "\n[Capture]\nUrl=udp://127.0.0.1:" + std::to_string(port) +
               "\nClock=2019-01-22T12:00:00Z\n";
    }
};

TEST_F(HarvestTest, CaptureIsHarvestedToTheWholeDocumentAndEndsWithIt) {
    const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 12);
    WriteCapture("capture.ts", scenario);
    WriteFile("config.ini", "[Tuner]\nTransponder=12303000\n[Capture]\nFile=capture.ts\n");

    const ChildResult result = Run({"config.ini", "guide.xml"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find(lockedLine), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");  // no terminal, no status line
    EXPECT_EQ(ReadFile("guide.xml"),
              DocumentHead("config.ini") + scenario.expectedElements + "</tv>\r\n");
}

TEST_F(HarvestTest, ConfigurationPathWithMarkupIsEscapedInTheHead) {
    const std::string odd = "odd&\"<dir>";
    std::filesystem::create_directory(Path(odd));
    const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 2);
    WriteCapture(odd + "/capture.ts", scenario);
    WriteFile(odd + "/config.ini", "[Tuner]\nTransponder=12303000\n[Capture]\nFile=capture.ts\n");

    const ChildResult result = Run({odd + "/config.ini", "guide.xml"});
    EXPECT_EQ(result.exitCode, 0);
    const std::string document = ReadFile("guide.xml");
    EXPECT_EQ(document, DocumentHead("odd&amp;&quot;&lt;dir&gt;/config.ini") +
                            scenario.expectedElements + "</tv>\r\n");
    EXPECT_TRUE(IsWellFormedXmlDocument(document));
}

TEST_F(HarvestTest, StatusLineShowsOnATerminalOnlyAndIsClearedAtTheEnd) {
    const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 3);
    WriteCapture("capture.ts", scenario);
    WriteFile("config.ini", "[Tuner]\nTransponder=12303000\n[Capture]\nFile=capture.ts\n");

    ChildOptions options = InFolder();
    options.stderrOnTerminal = true;
    const ChildResult result = ChildProcess(Argv({"config.ini", "guide.xml"}), options).Wait();
    EXPECT_EQ(result.exitCode, 0);
    // Each update rewrites the line in place; the last thing left is an empty line.
    EXPECT_EQ(result.err.rfind("\r", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(" channels, "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(" programmes, "), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), std::string::npos) << result.err;
    ASSERT_GE(result.err.size(), 4u);
    EXPECT_EQ(result.err.substr(result.err.size() - 4), "\r\x1b[K");
    // Neither standard output nor the document carries any of it.
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    EXPECT_EQ(ReadFile("guide.xml"),
              DocumentHead("config.ini") + scenario.expectedElements + "</tv>\r\n");
}

TEST_F(HarvestTest, FailedBuildEndsWithItsMessageAndExitCodeTwo) {
    WriteFile("capture.ts", ScenarioCarousel(MakeHarvestScenario(broadcastTime, 1)).NextRound());
    // The capture is tuner 1; there is no ninth.
    WriteFile("config.ini",
              "[Tuner]\nTransponder=12303000\nTunerOrdinal=9\n[Capture]\nFile=capture.ts\n");
    const ChildResult result = Run({"config.ini", "guide.xml"});
    EXPECT_EQ(result.exitCode, 2);
    const std::string last = "Err: Could not Build the DVB-S BDA FilterGraph.\n";
    ASSERT_GE(result.out.size(), last.size()) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - last.size()), last);
    EXPECT_EQ(ReadFile("guide.xml"), DocumentHead("config.ini"));
}

TEST_F(HarvestTest, QuietUdpSourceEndsTheRunAfterAnIdlePeriod) {
    const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 6);
    const uint16_t port = FreeUdpPort();
    WriteFile("config.ini", UdpConfig(port, 1));

    ChildProcess child(Argv({"config.ini", "guide.xml"}), InFolder());
    ASSERT_TRUE(WaitForUdpPort(port, child, 20s)) << child.Wait().out;
    UdpFeeder feeder(port);
    ScenarioCarousel carousel(scenario);
    for (int round = 0; round < 3; ++round) {
        feeder.Send(carousel.NextRound());
        std::this_thread::sleep_for(100ms);
    }
    // Silence from here: one idle period later the run ends by itself.
    const ChildResult result = child.Wait(30s);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find(lockedLine), std::string::npos) << result.out;
    EXPECT_EQ(ReadFile("guide.xml"),
              DocumentHead("config.ini") + scenario.expectedElements + "</tv>\r\n");
}

TEST_F(HarvestTest, SignalEndsTheRunInOrderWithEverythingWritten) {
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 40);
        const uint16_t port = FreeUdpPort();
        WriteFile("config.ini", UdpConfig(port, 600));

        // The status line tells when everything has been harvested, most of it still in the
        // stream's buffer: the signal must not lose any of it.
        ChildOptions options = InFolder();
        options.stderrOnTerminal = true;
        ChildProcess child(Argv({"config.ini", "guide.xml"}), options);
        ASSERT_TRUE(WaitForUdpPort(port, child, 20s)) << child.Wait().out;
        UdpFeeder feeder(port);
        feeder.Send(ScenarioCarousel(scenario).NextRound());
        const std::string harvested = "\r2 channels, 80 programmes, ";
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (child.ErrorSoFar().find(harvested) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(child.ErrorSoFar().find(harvested), std::string::npos) << child.ErrorSoFar();
        child.Signal(signalNumber);

        const ChildResult result = child.Wait(30s);
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 128 + signalNumber);
        const std::string document = ReadFile("guide.xml");
        EXPECT_EQ(document, DocumentHead("config.ini") + scenario.expectedElements + "</tv>\r\n");
        EXPECT_TRUE(IsWellFormedXmlDocument(document));
    }
}

TEST_F(HarvestTest, SecondProcessCannotTakeTheOutputFileOfARunningOne) {
    const uint16_t port = FreeUdpPort();
    WriteFile("config.ini", UdpConfig(port, 600));
    ChildProcess first(Argv({"config.ini", "guide.xml"}), InFolder());
    ASSERT_TRUE(WaitForUdpPort(port, first, 20s)) << first.Wait().out;

    WriteFile("other.ini", "[Tuner]\nTransponder=11000000\n");
    const ChildResult second = Run({"other.ini", "guide.xml"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err, "Can't open file guide.xml\n");
    EXPECT_EQ(second.out, "");

    // The first run's document is whole: its head, nothing harvested, its closing tag.
    first.Signal(SIGINT);
    const ChildResult result = first.Wait(30s);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_EQ(ReadFile("guide.xml"), DocumentHead("config.ini") + "</tv>\r\n");
}

// The output is a named pipe, whose opening blocks until the test opens it for reading: the
// signal comes while the process is still on its first steps, and is held until the run has
// started; then the run ends in order.
TEST_F(HarvestTest, SignalBeforeTheRunHasStartedEndsItInOrderOnceStarted) {
    const uint16_t port = FreeUdpPort();
    WriteFile("config.ini", UdpConfig(port, 600));
    ASSERT_EQ(mkfifo(Path("guide.xml").c_str(), 0600), 0);

    ChildProcess child(Argv({"config.ini", "guide.xml"}), InFolder());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!CatchesSignal(child.Pid(), SIGINT) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(CatchesSignal(child.Pid(), SIGINT));
    child.Signal(SIGINT);

    std::string document;
    {
        const int fd = open(Path("guide.xml").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        char buffer[4096];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            document.append(buffer, static_cast<size_t>(n));
        close(fd);
    }
    const ChildResult result = child.Wait(30s);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_NE(result.out.find(lockedLine), std::string::npos) << result.out;
    EXPECT_EQ(document, DocumentHead("config.ini") + "</tv>\r\n");
}

}  // namespace
