// The [Tuner] keys: defaults, where each value goes, and the transponder check.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/ReadConfiguration.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "si/Settings.h"
#include "support/ChannelBaseGuard.h"
#include "support/MemoryStream.h"
#include "support/StdoutCapture.h"

namespace {

const char configError[] = "Err: Could not find configuration file or Transponder=0.\n";

class ReadConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/epgharvest-config-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        savedTimeout = Timeout;
        proxy = new DVBFilterToParserProxy(document.File());
        reference = ComPtr<IUnknown>(proxy->GetOwner());
    }
    void TearDown() override {
        Timeout = savedTimeout;
        std::filesystem::remove_all(folder);
    }
    std::string Write(const std::string& content) {
        const std::string path = folder + "/config.ini";
        std::ofstream(path) << content;
        return path;
    }
    // Runs the reader with standard output captured.
    bool Read(const std::string& path, std::string& printed) {
        bool result = false;
        printed = CaptureStdout([&] { result = ReadConfiguration(&graph, path.c_str(), proxy); });
        return result;
    }

    std::string folder;
    int32_t savedTimeout = 0;
    ChannelBaseGuard channelBaseGuard{0};
    MemoryStream document;
    BdaGraph graph;
    DVBFilterToParserProxy* proxy = nullptr;
    ComPtr<IUnknown> reference;
};

TEST_F(ReadConfigurationTest, TransponderAloneGivesEveryOtherDefault) {
    // Values the defaults must replace.
    Timeout = 7;
    ChannelBase = 7;
    graph.tunerOrdinal = 7;
    graph.polarisation = 7;
    graph.symbolRate = 7;
    graph.dvbs2 = 7;
    proxy->parser.batFlag = true;

    std::string printed;
    EXPECT_TRUE(Read(Write("[Tuner]\nTransponder=12303000\n"), printed));
    EXPECT_EQ(printed, "");
    EXPECT_EQ(Timeout, 120);
    EXPECT_EQ(ChannelBase, 0);
    EXPECT_EQ(graph.tunerOrdinal, 1);
    EXPECT_EQ(graph.carrierFrequency, 12303000);
    EXPECT_EQ(graph.polarisation, 0);
    EXPECT_EQ(graph.symbolRate, 27500);  // not the graph's own 26400
    EXPECT_EQ(graph.dvbs2, 0);
    EXPECT_FALSE(proxy->parser.batFlag);
}

TEST_F(ReadConfigurationTest, EveryKeyReachesItsPlace) {
    std::string printed;
    EXPECT_TRUE(Read(Write("[Tuner]\nTimeout=30\nChannelBase=-5\nTunerOrdinal=3\n"
                           "Transponder=10714000\nSignalPolarisation=1\nSymbolRate=22000\n"
                           "DVBS2=2\nBAT=5\n"),
                     printed));
    EXPECT_EQ(Timeout, 30);
    EXPECT_EQ(ChannelBase, -5);
    EXPECT_EQ(graph.tunerOrdinal, 3);
    EXPECT_EQ(graph.carrierFrequency, 10714000);
    EXPECT_EQ(graph.polarisation, 1);
    EXPECT_EQ(graph.symbolRate, 22000);
    EXPECT_EQ(graph.dvbs2, 2);
    EXPECT_TRUE(proxy->parser.batFlag);
}

TEST_F(ReadConfigurationTest, PolarisationKeepsItsLowEightBits) {
    const std::pair<const char*, uint8_t> cases[] = {
        {"0", 0}, {"1", 1}, {"256", 0}, {"257", 1}, {"-1", 255}};
    for (const auto& [value, stored] : cases) {
        SCOPED_TRACE(value);
        std::string printed;
        ASSERT_TRUE(
            Read(Write(std::string("[Tuner]\nTransponder=1\nSignalPolarisation=") + value + "\n"),
                 printed));
        EXPECT_EQ(graph.polarisation, stored);
    }
}

TEST_F(ReadConfigurationTest, MissingTransponderFailsAfterTheFirstThreeKeys) {
    const std::string cases[] = {
        "",  // no file at all: see below
        "[Other]\nTransponder=12303000\n",
        "[Tuner]\nTransponder=0\nTimeout=9\nChannelBase=4\nTunerOrdinal=2\nSymbolRate=1\nBAT=1\n",
        "[Tuner]\nTimeout=9\nChannelBase=4\nTunerOrdinal=2\nSymbolRate=1\nBAT=1\n",
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        graph.symbolRate = 26400;
        proxy->parser.batFlag = false;
        const std::string path = content.empty() ? folder + "/missing.ini" : Write(content);
        std::string printed;
        EXPECT_FALSE(Read(path, printed));
        EXPECT_EQ(printed, configError);
        const bool tunerKeys = content.find("[Tuner]") != std::string::npos;
        // The three keys before the transponder are stored; those after it are not read.
        EXPECT_EQ(Timeout, tunerKeys ? 9 : 120);
        EXPECT_EQ(ChannelBase, tunerKeys ? 4 : 0);
        EXPECT_EQ(graph.tunerOrdinal, tunerKeys ? 2 : 1);
        EXPECT_EQ(graph.symbolRate, 26400);
        EXPECT_FALSE(proxy->parser.batFlag);
    }
}

}  // namespace
