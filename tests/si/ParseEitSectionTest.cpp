#include "si/ParseEitSection.h"

#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"

using namespace sibuild;

namespace {

const std::string NoDesc = "\t<desc lang=\"\"></desc>\r\n";

std::string Programme(const std::string& channel, const std::string& start, const std::string& stop,
                      const std::string& children = NoDesc) {
    return "<programme channel=\"" + channel + "\" start=\"" + start + " +0000\" stop=\"" + stop +
           " +0000\">\r\n " + children + "</programme>\r\n";
}

class EitParsing : public ParserFixture {
protected:
    EitParsing() { now = UtcSeconds(2024, 5, 1, 12, 0, 0); }

    bool Parse(const Bytes& section) {
        const ExactBuffer buffer(section);
        return ParseEitSection(parser, buffer.data(), buffer.size());
    }
    EitEvent Event(uint16_t eventId, int64_t start, int32_t duration, Bytes descriptors = {}) {
        EitEvent event;
        event.eventId = eventId;
        event.start = start;
        event.duration = duration;
        event.descriptors = std::move(descriptors);
        return event;
    }
    EitSection Section(uint16_t serviceId, std::vector<EitEvent> events, uint8_t tableId = 0x4E,
                       uint8_t version = 0) {
        EitSection section;
        section.tableId = tableId;
        section.serviceId = serviceId;
        section.version = version;
        section.events = std::move(events);
        return section;
    }
};

}  // namespace

TEST_F(EitParsing, AnnexCExampleWritesItsProgramme) {
    now = UtcSeconds(1993, 10, 13, 12, 0, 0);
    AddService(7, 7);
    EitEvent event;
    event.eventId = 1;
    event.rawStart = Bytes{0xC0, 0x79, 0x12, 0x45, 0x00};
    event.rawDuration = Bytes{0x01, 0x45, 0x30};
    event.descriptors = ShortEventDescriptor("eng", "Title", "");
    EXPECT_TRUE(Parse(BuildEit(Section(7, {event}))));
    // The opening line ends in CR LF and a space, so the first child starts with space and tab.
    EXPECT_EQ(
        TakeOutput(),
        Programme(
            "7", "19931013124500", "19931013143030",
            "\t<title lang=\"en\">Title</title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n" +
                NoDesc));
    EXPECT_EQ(parser.services[7].events.count(1), 1u);
}

TEST_F(EitParsing, WindowBoundsAreInclusive) {
    struct Case {
        const char* name;
        int64_t stopFromNow;
        bool written;
    };
    const Case cases[] = {
        {"stopped one day ago", -86400, true},
        {"stopped one day and a second ago", -86401, false},
        {"stops in fourteen days", 1209600, true},
        {"stops a second after fourteen days", 1209601, false},
        {"stops now", 0, true},
    };
    uint16_t eventId = 1;
    for (const Case& c : cases) {
        AddService(1, 1);
        const int64_t start = now + c.stopFromNow - 3600;
        const Bytes section = BuildEit(Section(1, {Event(eventId, start, 3600)}));
        EXPECT_TRUE(Parse(section)) << c.name;  // recorded whether written or not
        EXPECT_EQ(TakeOutput().empty(), !c.written) << c.name;
        EXPECT_EQ(parser.services[1].events.count(eventId), 1u) << c.name;
        EXPECT_FALSE(Parse(section)) << c.name;
        EXPECT_EQ(TakeOutput(), "") << c.name;
        ++eventId;
    }
}

TEST_F(EitParsing, TimesRollOverMidnightMonthAndYear) {
    struct Case {
        int64_t start;
        int32_t duration;
        const char* startText;
        const char* stopText;
    };
    const Case cases[] = {
        {UtcSeconds(2024, 5, 1, 23, 30, 0), 3600, "20240501233000", "20240502003000"},
        {UtcSeconds(2023, 12, 31, 23, 30, 0), 3600, "20231231233000", "20240101003000"},
        {UtcSeconds(2024, 2, 28, 23, 0, 0), 7200, "20240228230000", "20240229010000"},
        {UtcSeconds(2024, 4, 30, 22, 0, 0), 0, "20240430220000", "20240430220000"},
    };
    AddService(1, 1);
    uint16_t eventId = 1;
    for (const Case& c : cases) {
        now = c.start;
        EXPECT_TRUE(Parse(BuildEit(Section(1, {Event(eventId++, c.start, c.duration)}))));
        EXPECT_EQ(TakeOutput(), Programme("1", c.startText, c.stopText)) << c.startText;
    }
}

TEST_F(EitParsing, OddStartTimesAreRecordedButNotWritten) {
    // All-ones start (2038-04-28 23:47:45), MJD 0 (month outside 1 to 12 in the formula),
    // MJD 15078 (the day before the formula's range).
    AddService(1, 1);
    const Bytes starts[] = {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                            {0x00, 0x00, 0x00, 0x00, 0x00},
                            {0x3A, 0xE6, 0x23, 0x59, 0x59}};
    std::vector<EitEvent> events;
    uint16_t eventId = 1;
    for (const Bytes& start : starts) {
        EitEvent event = Event(eventId++, 0, 60);
        event.rawStart = start;
        events.push_back(event);
    }
    EXPECT_TRUE(Parse(BuildEit(Section(1, events))));
    EXPECT_EQ(TakeOutput(), "");
    EXPECT_EQ(parser.services[1].events.size(), 3u);

    now = UtcSeconds(2038, 4, 28, 12, 0, 0);  // the all-ones time is then inside the window
    parser.services[1].events.clear();
    EXPECT_TRUE(Parse(BuildEit(Section(1, {events[0]}))));
    EXPECT_EQ(TakeOutput(), Programme("1", "20380428234745", "20380428234845"));
}

TEST_F(EitParsing, ChannelIdAddsChannelBaseModulo65536) {
    struct Case {
        int32_t channelBase;
        uint16_t channelNumber;
        const char* id;
    };
    const Case cases[] = {{1000, 7, "1007"}, {-10, 5, "65531"}, {1, 65535, "0"}, {0, 4001, "4001"}};
    uint16_t serviceId = 1;
    for (const Case& c : cases) {
        ChannelBase = c.channelBase;
        AddService(serviceId, c.channelNumber);
        EXPECT_TRUE(Parse(BuildEit(Section(serviceId, {Event(1, now, 60)}))));
        EXPECT_EQ(TakeOutput().rfind(std::string("<programme channel=\"") + c.id + "\" start=", 0),
                  0u)
            << c.id;
        ++serviceId;
    }
}

TEST_F(EitParsing, EachEventIdOncePerServiceWhateverVersionOrTable) {
    AddService(1, 1);
    AddService(2, 2);
    const EitEvent event = Event(500, now, 60);
    const std::string once = Programme("1", "20240501120000", "20240501120100");

    EXPECT_TRUE(Parse(BuildEit(Section(1, {event}, 0x4E, 0))));
    EXPECT_EQ(TakeOutput(), once);
    EXPECT_FALSE(Parse(BuildEit(Section(1, {event}, 0x4E, 1))));  // new version
    EXPECT_FALSE(Parse(BuildEit(Section(1, {event}, 0x50, 3))));  // schedule table
    EXPECT_FALSE(Parse(BuildEit(Section(1, {event}, 0x6F, 0))));  // other transport stream
    EXPECT_EQ(TakeOutput(), "");

    // Another service with the same event_id is independent.
    EXPECT_TRUE(Parse(BuildEit(Section(2, {event}))));
    EXPECT_EQ(TakeOutput(), Programme("2", "20240501120000", "20240501120100"));

    // A section with one known and one new event is new; only the new one is written.
    EXPECT_TRUE(Parse(BuildEit(Section(1, {event, Event(501, now, 120)}))));
    EXPECT_EQ(TakeOutput(), Programme("1", "20240501120000", "20240501120200"));
}

TEST_F(EitParsing, UnknownServiceFirstIsTakenOnceKnown) {
    const Bytes section = BuildEit(Section(9, {Event(1, now, 60)}));
    EXPECT_FALSE(Parse(section));
    EXPECT_EQ(TakeOutput(), "");
    EXPECT_EQ(parser.services.count(9), 0u);  // never creates a record
    AddService(9, 9);
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(TakeOutput(), Programme("9", "20240501120000", "20240501120100"));
}

TEST_F(EitParsing, GateOnStatusTypeAndChannelNumber) {
    struct Case {
        const char* name;
        uint16_t channelNumber;
        uint8_t serviceType;
        uint8_t runningStatus;
        bool taken;
    };
    const Case cases[] = {
        {"television", 1, 0x01, 4, true},    {"radio", 1, 0x02, 4, true},
        {"HD television", 1, 0x19, 4, true}, {"not running", 1, 0x01, 2, false},
        {"pausing", 1, 0x01, 3, false},      {"data service", 1, 0x0C, 4, false},
        {"no number", 0, 0x01, 4, false},
    };
    for (const Case& c : cases) {
        parser.services.clear();
        ServiceRecord& service = AddService(1, c.channelNumber, c.serviceType, c.runningStatus);
        EXPECT_EQ(Parse(BuildEit(Section(1, {Event(1, now, 60)}))), c.taken) << c.name;
        EXPECT_EQ(TakeOutput().empty(), !c.taken) << c.name;
        EXPECT_EQ(service.events.size(), c.taken ? 1u : 0u) << c.name;
    }
}

TEST_F(EitParsing, ReadsTheClockOncePerNewEvent) {
    AddService(1, 1);
    EXPECT_TRUE(Parse(BuildEit(Section(1, {Event(1, now, 60), Event(2, now, 60)}))));
    EXPECT_EQ(nowCalls, 2);
    EXPECT_TRUE(Parse(BuildEit(Section(1, {Event(1, now, 60), Event(3, now, 60)}))));
    EXPECT_EQ(nowCalls, 3);
}

TEST_F(EitParsing, MalformedLengthsNeverReadPastTheSection) {
    AddService(1, 1);
    const Bytes good = BuildEit(Section(1, {Event(1, now, 60)}));
    const std::string goodProgramme = Programme("1", "20240501120000", "20240501120100");

    struct Case {
        const char* name;
        Bytes section;
        bool result;
        std::string output;
        size_t recorded;
    };
    Bytes noEvents = BuildEit(Section(1, {}));  // total length 18
    Bytes shortHeader(good.begin(), good.begin() + 17);
    Bytes tiny(good.begin(), good.begin() + 4);

    // An event cut off after the first: 7 bytes of a second event before the CRC.
    Bytes cutEvent = BuildEit(Section(1, {Event(1, now, 60), Event(2, now, 60)}));
    cutEvent.erase(cutEvent.end() - 4 - 5, cutEvent.end() - 4);
    FixLengthAndCrc(cutEvent);

    // A second event whose descriptor loop reaches into the CRC, then a third one.
    EitEvent overlong = Event(2, now, 60, ShortEventDescriptor("eng", "X", ""));
    overlong.rawDescriptorsLength = static_cast<uint16_t>(overlong.descriptors.size() + 2);
    Bytes pastCrc = BuildEit(Section(1, {Event(1, now, 60), overlong}));
    Bytes pastCrcThenMore = BuildEit(Section(1, {Event(1, now, 60), overlong, Event(3, now, 60)}));
    // Its loop length is then taken from event 3's bytes as they lie.
    overlong.rawDescriptorsLength = 0x0FFF;
    Bytes hugeLoop = BuildEit(Section(1, {Event(1, now, 60), overlong, Event(3, now, 60)}));

    const Case cases[] = {
        {"no events", noEvents, false, "", 0},
        {"too short for header and CRC", shortHeader, false, "", 0},
        {"shorter than the service id", tiny, false, "", 0},
        {"event cut off", cutEvent, true, goodProgramme, 1},
        {"descriptor loop into the CRC", pastCrc, true, goodProgramme, 1},
        {"descriptor loop into the next event", pastCrcThenMore, true,
         goodProgramme + Programme("1", "20240501120000", "20240501120100",
                                   "\t<title lang=\"en\">X</title>\r\n\t<sub-title lang=\"en\">"
                                   "</sub-title>\r\n" +
                                       NoDesc),
         2},
        {"descriptor loop of 4095", hugeLoop, true, goodProgramme, 1},
    };
    for (const Case& c : cases) {
        parser.services[1].events.clear();
        EXPECT_EQ(Parse(c.section), c.result) << c.name;
        EXPECT_EQ(TakeOutput(), c.output) << c.name;
        EXPECT_EQ(parser.services[1].events.size(), c.recorded) << c.name;
    }
}
