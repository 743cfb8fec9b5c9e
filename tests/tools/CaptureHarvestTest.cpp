// A generated capture run through the section dispatch as a receiver runs it: the channels and
// programmes written are exactly those the line-up predicts.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "GeneratedCapture.h"
#include "intake/DispatchSections.h"
#include "si/SectionParser.h"
#include "sibuild/CaptureCommandLine.h"
#include "sibuild/DvbTime.h"
#include "support/ChannelBaseGuard.h"
#include "support/ChildProcess.h"
#include "support/MemoryStream.h"
#include "support/XmlCheck.h"
#include "support/XmlDocumentCheck.h"
#include "support/XmltvTime.h"

namespace {

constexpr int64_t kDay = 86400;
const int64_t kStart = sibuild::UtcSeconds(2026, 1, 15, 18, 0, 0);

// The whole line-up pattern twice (every service kind, the service without a service
// descriptor), three days, SI only: several passes through the schedule, with revisions.
const GeneratedCapture& Capture() {
    static const GeneratedCapture capture = [] {
        sibuild::CaptureOptions options;
        options.services = 24;
        options.days = 3;
        options.siSharePercent = 100;
        options.sizeBytes = 6 << 20;
        options.seed = 11;
        options.start = kStart;
        return Generate(options);
    }();
    return capture;
}

const std::vector<CapturedSection>& Sections() {
    static const std::vector<CapturedSection> sections = Demultiplex(Capture().bytes);
    return sections;
}

using Programme = std::tuple<uint16_t, std::string, std::string>;  // channel, start, stop

struct Harvest {
    std::multiset<uint16_t> channels;
    std::map<uint16_t, std::set<std::pair<std::string, std::string>>> names;  // lang, text
    std::multiset<Programme> programmes;
};

// Between `open` and the next `close`, from `from` on.
std::string Between(const std::string& line, const std::string& open, const std::string& close,
                    size_t from = 0) {
    const size_t begin = line.find(open, from);
    if (begin == std::string::npos)
        return {};
    const size_t start = begin + open.size();
    return line.substr(start, line.find(close, start) - start);
}

Harvest Read(const std::string& document) {
    Harvest harvest;
    uint16_t channel = 0;
    for (size_t at = 0; at < document.size();) {
        const size_t end = document.find("\r\n", at);
        const std::string line = document.substr(at, end - at);
        at = end == std::string::npos ? document.size() : end + 2;
        if (line.rfind("<channel id=\"", 0) == 0) {
            channel = static_cast<uint16_t>(std::stoi(Between(line, "id=\"", "\"")));
            harvest.channels.insert(channel);
        } else if (line.rfind("\t<display-name lang=\"", 0) == 0) {
            harvest.names[channel].emplace(Between(line, "lang=\"", "\""),
                                           Between(line, "\">", "<"));
        } else if (line.rfind("<programme channel=\"", 0) == 0) {
            harvest.programmes.emplace(
                static_cast<uint16_t>(std::stoi(Between(line, "channel=\"", "\""))),
                Between(line, "start=\"", " +0000"), Between(line, "stop=\"", " +0000"));
        }
    }
    return harvest;
}

Harvest Harvested(bool batFlag, int64_t now, std::string* document = nullptr) {
    ChannelBaseGuard channelBase(0);
    MemoryStream output;
    SectionParser parser;
    parser.outputStream = output.File();
    parser.batFlag = batFlag;
    parser.now = [now] { return now; };
    for (const CapturedSection& section : Sections())
        if (section.pid == 0x0011 || section.pid == 0x0012)
            DispatchSections(section.bytes.data(), static_cast<int32_t>(section.bytes.size()),
                             parser);
    const std::string text = output.Text();
    if (document != nullptr)
        *document = text;
    return Read(text);
}

bool ProgrammeType(const sibuild::LineupService& service) {
    return service.hasServiceDescriptor &&
           (service.serviceType == 0x01 || service.serviceType == 0x02 ||
            service.serviceType == 0x19);
}

// What a receiver makes of the line-up: with the bouquet, its numbered running services of the
// programme types; without it, every named service under its service_id. Programmes of the
// broadcast events whose stop lies in the window around `now`.
Harvest Predict(const sibuild::Lineup& lineup, bool batFlag, int64_t now) {
    Harvest harvest;
    for (const sibuild::LineupService& service : lineup.services) {
        const uint16_t number = batFlag ? service.bouquetNumber
                                        : (service.hasServiceDescriptor ? service.serviceId : 0);
        const bool programmes = number != 0 && service.runningStatus == 4 && ProgrammeType(service);
        if (batFlag && programmes) {
            harvest.channels.insert(number);
            std::map<std::string, std::string> names;
            names["eng"] = service.name.utf8;
            for (const sibuild::LineupName& name : service.otherNames)
                names[name.language] = name.utf8;
            for (const auto& [language, text] : names)
                harvest.names[number].emplace(language.substr(0, 2), text);
        } else if (!batFlag && service.hasServiceDescriptor) {
            harvest.channels.insert(number);
        }
        if (!programmes)
            continue;
        for (const sibuild::LineupEvent& event : service.events)
            if (event.firstPacket && event.Stop() >= now - kDay && event.Stop() <= now + 14 * kDay)
                harvest.programmes.emplace(number, XmltvTimeDigits(event.start),
                                           XmltvTimeDigits(event.Stop()));
    }
    return harvest;
}

TEST(CaptureHarvest, ChannelsAndProgrammesAreWhatTheLineupPredicts) {
    const sibuild::Lineup& lineup = Capture().Lineup();
    struct Case {
        bool batFlag;
        int64_t now;
    };
    const Case cases[] = {
        {true, kStart},
        {false, kStart},
        {true, kStart - 12 * kDay},  // the window ends before the schedule does
        {true, kStart + 2 * kDay},   // and begins after its first day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "BAT " << c.batFlag << ", now " << c.now - kStart);
        std::string document;
        const Harvest harvest = Harvested(c.batFlag, c.now, &document);
        const Harvest expected = Predict(lineup, c.batFlag, c.now);
        EXPECT_EQ(harvest.channels, expected.channels);
        EXPECT_EQ(harvest.programmes, expected.programmes);
        if (c.batFlag) {
            EXPECT_EQ(harvest.names, expected.names);
        }
        EXPECT_TRUE(IsWellFormedXml(document));
    }
}

// The prediction above is worth something only if the capture holds what it is meant to.
TEST(CaptureHarvest, TheCaptureExercisesEveryGate) {
    const sibuild::Lineup& lineup = Capture().Lineup();
    size_t eligible = 0, broadcast = 0, revisedAndSent = 0;
    std::set<std::string> gates;
    for (const sibuild::LineupService& service : lineup.services) {
        if (!service.hasServiceDescriptor)
            gates.insert("no service descriptor");
        if (service.runningStatus != 4)
            gates.insert("not running");
        if (service.serviceType == 0x0C)
            gates.insert("data service");
        if (!service.inBouquet)
            gates.insert("outside the bouquet");
        if (!service.actual)
            gates.insert("other transport stream");
        if (service.bouquetNumber == 0 || service.runningStatus != 4 || !ProgrammeType(service))
            continue;
        for (const sibuild::LineupEvent& event : service.events) {
            ++eligible;
            broadcast += event.firstPacket ? 1 : 0;
            revisedAndSent += event.firstPacket && event.addedInRevision > 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(gates.size(), 5u);
    EXPECT_GT(Capture().summary.scheduleCycles, 2u);
    EXPECT_GT(revisedAndSent, 0u);
    EXPECT_LT(broadcast, eligible);  // some revisions have not gone out yet
    // Both window edges drop programmes of the broadcast events.
    EXPECT_LT(Predict(lineup, true, kStart - 12 * kDay).programmes.size(), broadcast);
    EXPECT_LT(Predict(lineup, true, kStart + 2 * kDay).programmes.size(), broadcast);
    EXPECT_EQ(Predict(lineup, true, kStart).programmes.size(), broadcast);
}

}  // namespace

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// The same capture replayed by the program itself, from a file, with the clock pinned: the
// document holds what the line-up predicts, and nothing follows the closing tag.
TEST(CaptureHarvest, TheProgramHarvestsWhatTheLineupPredicts) {
    const std::string folder = testing::TempDir();
    const std::string capturePath = folder + "capture_harvest.ts";
    const std::string configPath = folder + "capture_harvest.ini";
    const std::string guidePath = folder + "capture_harvest.xml";
    std::ofstream(capturePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(Capture().bytes.data()),
               static_cast<std::streamsize>(Capture().bytes.size()));
    std::ofstream(configPath) << "[Tuner]\nTransponder=12303000\nBAT=1\nTimeout=30\n"
                                 "[Capture]\nFile=capture_harvest.ts\nClock=2026-01-15T18:00:00Z\n";

    const ChildResult run = RunChild({EPG_BINARY_DIR "/bin/epgharvest", configPath, guidePath});
    const std::string document = ReadWholeFile(guidePath);
    std::remove(capturePath.c_str());
    std::remove(configPath.c_str());
    std::remove(guidePath.c_str());

    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const Harvest harvest = Read(document);
    const Harvest expected = Predict(Capture().Lineup(), true, kStart);
    EXPECT_EQ(harvest.channels, expected.channels);
    EXPECT_EQ(harvest.names, expected.names);
    EXPECT_EQ(harvest.programmes, expected.programmes);
    EXPECT_TRUE(document.ends_with("</programme>\r\n</tv>\r\n"));
    EXPECT_TRUE(IsWellFormedXmlDocument(document));
}

// The bundled demo: a complete, well-formed guide, byte for byte the same on every run.
TEST(CaptureHarvest, TheBundledDemoGivesTheSameGuideEveryTime) {
    const std::string config = EPG_SOURCE_DIR "/samples/demo.ini";
    std::string documents[2];
    for (std::string& document : documents) {
        const std::string guidePath = testing::TempDir() + "demo_guide.xml";
        const ChildResult run = RunChild({EPG_BINARY_DIR "/bin/epgharvest", config, guidePath});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        document = ReadWholeFile(guidePath);
        std::remove(guidePath.c_str());
    }
    EXPECT_EQ(documents[0], documents[1]);
    const Harvest harvest = Read(documents[0]);
    EXPECT_EQ(harvest.channels.size(), 9u);  // the numbered, running TV, HD and radio services
    EXPECT_GT(harvest.programmes.size(), 100u);
    EXPECT_TRUE(documents[0].ends_with("</tv>\r\n"));
    EXPECT_TRUE(IsWellFormedXmlDocument(documents[0]));
}
