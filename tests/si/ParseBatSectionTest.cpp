#include "si/ParseBatSection.h"

#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "sibuild/BatBuilder.h"

using namespace sibuild;

namespace {

class BatParsing : public ParserFixture {
protected:
    BatParsing() { parser.batFlag = true; }

    bool Parse(const Bytes& section) {
        const ExactBuffer buffer(section);
        return ParseBatSection(parser, buffer.data());
    }
    static Bytes Bouquet(const std::vector<ChannelListEntry>& entries,
                         std::string_view name = "Yes Bouquet 1") {
        BatSection bat;
        bat.bouquetDescriptors = BouquetNameDescriptor(name);
        bat.transportStreams.push_back({1, 1, ChannelListDescriptor(entries), {}});
        return BuildBat(bat);
    }
    ServiceRecord& Unnumbered(uint16_t serviceId, uint8_t serviceType = 0x01,
                              uint8_t runningStatus = 4) {
        ServiceRecord& service = AddService(serviceId, 0, serviceType, runningStatus);
        service.names["eng"] = "Channel " + std::to_string(serviceId);
        return service;
    }
};

std::string Channel(const std::string& id, const std::string& displayNames, unsigned icon = 1) {
    return "<channel id=\"" + id + "\">\r\n" + displayNames + "\t<icon>" + std::to_string(icon) +
           "</icon>\r\n</channel>\r\n";
}
std::string DisplayName(const std::string& lang, const std::string& name) {
    return "\t<display-name lang=\"" + lang + "\">" + name + "</display-name>\r\n";
}

}  // namespace

TEST_F(BatParsing, NumbersAServiceOnceAndWritesItsChannel) {
    ServiceRecord& service = AddService(100, 0);
    service.names["eng"] = "News & More";
    service.names["heb"] = "\xE0";  // alef in ISO/IEC 8859-8
    const Bytes bat = Bouquet({{100, 12}});

    EXPECT_TRUE(Parse(bat));
    EXPECT_EQ(service.channelNumber, 12);
    EXPECT_EQ(TakeOutput(),
              Channel("12", DisplayName("en", "News &amp; More") + DisplayName("he", "\xD7\x90")));
    EXPECT_FALSE(Parse(bat));  // the repetition changes nothing
    EXPECT_EQ(TakeOutput(), "");
}

TEST_F(BatParsing, DisplayNamesStandInLanguageCodeOrder) {
    ServiceRecord& service = AddService(100, 0, 0x19);
    for (const char* code : {"rus", "ara", "eng", "heb", "fre", "deu"})
        service.names[code] = "N";
    EXPECT_TRUE(Parse(Bouquet({{100, 3}})));
    EXPECT_EQ(TakeOutput(),
              Channel("3",
                      DisplayName("ar", "N") + DisplayName("de", "N") + DisplayName("en", "N") +
                          DisplayName("fr", "N") + DisplayName("he", "N") + DisplayName("ru", "N"),
                      25));
}

TEST_F(BatParsing, ServiceWithoutNamesGetsAnElementWithoutDisplayName) {
    AddService(100, 0, 0x02);
    EXPECT_TRUE(Parse(Bouquet({{100, 7}})));
    EXPECT_EQ(TakeOutput(), Channel("7", "", 2));
}

TEST_F(BatParsing, BouquetBeforeAndAfterTheSdt) {
    const Bytes bat = Bouquet({{100, 12}, {200, 13}});
    EXPECT_FALSE(Parse(bat));  // no service known yet
    EXPECT_TRUE(parser.services.empty());

    Unnumbered(100);
    EXPECT_TRUE(Parse(bat));
    EXPECT_EQ(TakeOutput(), Channel("12", DisplayName("en", "Channel 100")));

    // A service numbered already (by the SDT, or by an earlier entry) keeps its first number.
    AddService(200, 200);
    EXPECT_FALSE(Parse(Bouquet({{100, 40}, {200, 41}})));
    EXPECT_EQ(parser.services[100].channelNumber, 12);
    EXPECT_EQ(parser.services[200].channelNumber, 200);

    Unnumbered(300);
    EXPECT_TRUE(Parse(Bouquet({{300, 5}, {300, 6}})));
    EXPECT_EQ(parser.services[300].channelNumber, 5);
    EXPECT_EQ(TakeOutput(), Channel("5", DisplayName("en", "Channel 300")));
}

TEST_F(BatParsing, NumberStoredButChannelWrittenOnlyWhenAllHold) {
    struct Case {
        const char* name;
        bool batFlag;
        uint8_t serviceType;
        uint8_t runningStatus;
        bool written;
    };
    const Case cases[] = {
        {"flag set, running television", true, 0x01, 4, true},
        {"flag clear", false, 0x01, 4, false},
        {"not running", true, 0x01, 2, false},
        {"data service", true, 0x0C, 4, false},
    };
    for (const Case& c : cases) {
        parser.services.clear();
        parser.batFlag = c.batFlag;
        Unnumbered(100, c.serviceType, c.runningStatus);
        EXPECT_TRUE(Parse(Bouquet({{100, 12}}))) << c.name;
        EXPECT_EQ(parser.services[100].channelNumber, 12) << c.name;
        EXPECT_EQ(TakeOutput().empty(), !c.written) << c.name;
    }
}

TEST_F(BatParsing, ChannelNumberZeroChangesNothing) {
    Unnumbered(100);
    const Bytes bat = Bouquet({{100, 0}});
    EXPECT_FALSE(Parse(bat));
    EXPECT_FALSE(Parse(bat));
    EXPECT_EQ(parser.services[100].channelNumber, 0);
    EXPECT_EQ(TakeOutput(), "");
    // A later real number still counts.
    EXPECT_TRUE(Parse(Bouquet({{100, 0}, {100, 9}})));
    EXPECT_EQ(parser.services[100].channelNumber, 9);
}

TEST_F(BatParsing, ChannelIdWrapsModulo65536) {
    ChannelBase = 1;
    Unnumbered(100);
    EXPECT_TRUE(Parse(Bouquet({{100, 65535}})));
    EXPECT_EQ(TakeOutput(), Channel("0", DisplayName("en", "Channel 100")));
}

TEST_F(BatParsing, OnlyTheBouquetNamedExactly) {
    struct Case {
        const char* name;
        Bytes bouquetDescriptors;
        bool taken;
    };
    const Case cases[] = {
        {"exact name", BouquetNameDescriptor("Yes Bouquet 1"), true},
        {"other capitals", BouquetNameDescriptor("yes bouquet 1"), false},
        {"trailing space", BouquetNameDescriptor("Yes Bouquet 1 "), false},
        {"leading selector byte", BouquetNameDescriptor("\x05Yes Bouquet 1"), false},
        {"another bouquet", BouquetNameDescriptor("Yes Bouquet 2"), false},
        {"no name", {}, false},
        {"later name replaces earlier",
         Concat({BouquetNameDescriptor("Other"), Descriptor(0x5F, {0, 0, 0, 1}),
                 BouquetNameDescriptor("Yes Bouquet 1")}),
         true},
        {"earlier name replaced",
         Concat({BouquetNameDescriptor("Yes Bouquet 1"), BouquetNameDescriptor("Other")}), false},
    };
    for (const Case& c : cases) {
        parser.services.clear();
        Unnumbered(100);
        BatSection bat;
        bat.bouquetDescriptors = c.bouquetDescriptors;
        bat.transportStreams.push_back({1, 1, ChannelListDescriptor({{100, 12}}), {}});
        EXPECT_EQ(Parse(BuildBat(bat)), c.taken) << c.name;
        EXPECT_EQ(parser.services[100].channelNumber, c.taken ? 12 : 0) << c.name;
        EXPECT_EQ(TakeOutput().empty(), !c.taken) << c.name;
    }
}

TEST_F(BatParsing, ChannelListEntriesAndLoops) {
    struct Case {
        const char* name;
        std::vector<BatTransportStream> transportStreams;
        uint16_t numberOf100;
        uint16_t numberOf200;
    };
    const Bytes listOf100 = ChannelListDescriptor({{100, 12}});
    const Case cases[] = {
        {"empty transport stream loop", {}, 0, 0},
        {"length 3 holds no entry", {{1, 1, Descriptor(0xE2, {0, 100, 0}), {}}}, 0, 0},
        {"length 10 holds two entries, two bytes left over",
         {{1, 1, Descriptor(0xE2, {0, 100, 0, 12, 0, 200, 0, 13, 0, 200}), {}}},
         12,
         13},
        {"other tags stepped over",
         {{1,
           1,
           Concat({Descriptor(0x41, {0, 100, 1}), Descriptor(0xE3, {0, 100, 0, 7}),
                   ChannelListDescriptor({{200, 13}})}),
           {}}},
         0,
         13},
        {"entries in several transport streams",
         {{1, 1, listOf100, {}}, {2, 1, ChannelListDescriptor({{200, 13}}), {}}},
         12,
         13},
    };
    for (const Case& c : cases) {
        parser.services.clear();
        Unnumbered(100);
        Unnumbered(200);
        BatSection bat;
        bat.bouquetDescriptors = BouquetNameDescriptor("Yes Bouquet 1");
        bat.transportStreams = c.transportStreams;
        EXPECT_EQ(Parse(BuildBat(bat)), c.numberOf100 != 0 || c.numberOf200 != 0) << c.name;
        EXPECT_EQ(parser.services[100].channelNumber, c.numberOf100) << c.name;
        EXPECT_EQ(parser.services[200].channelNumber, c.numberOf200) << c.name;
    }
}

TEST_F(BatParsing, MalformedLengthsNeverReadPastTheSection) {
    const Bytes list100 = ChannelListDescriptor({{100, 12}});
    const Bytes list200 = ChannelListDescriptor({{200, 13}});
    auto bat = [&](auto change) {
        BatSection section;
        section.bouquetDescriptors = BouquetNameDescriptor("Yes Bouquet 1");
        section.transportStreams = {{1, 1, list100, {}}, {2, 1, list200, {}}};
        change(section);
        return BuildBat(section);
    };
    struct Case {
        const char* name;
        Bytes section;
        uint16_t numberOf100;
        uint16_t numberOf200;
    };
    Bytes tooShort = BuildBat({});
    tooShort.resize(15);
    FixLengthAndCrc(tooShort);
    // The bouquet name descriptor claims more than the bouquet loop holds.
    Bytes nameTooLong = bat([](BatSection&) {});
    nameTooLong[11] = 20;
    FixCrc(nameTooLong);

    // Five bytes of a second transport stream entry before the CRC, inside the loop.
    Bytes cutEntry = bat([](BatSection& s) { s.transportStreams.pop_back(); });
    const size_t loopLengthAt = 10 + BouquetNameDescriptor("Yes Bouquet 1").size();
    cutEntry.insert(cutEntry.end() - 4, {0, 2, 0, 1, 0xF0});
    cutEntry[loopLengthAt + 1] = static_cast<uint8_t>(cutEntry[loopLengthAt + 1] + 5);
    FixLengthAndCrc(cutEntry);

    const Case cases[] = {
        {"shorter than header and CRC", tooShort, 0, 0},
        {"bouquet loop past the section",
         bat([](BatSection& s) { s.rawBouquetDescriptorsLength = 0xFFF; }), 0, 0},
        {"bouquet name past its loop", nameTooLong, 0, 0},
        {"transport stream loop into the CRC", bat([&](BatSection& s) {
             s.rawTransportStreamLoopLength =
                 static_cast<uint16_t>(12 + list100.size() + list200.size() + 2);
         }),
         0, 0},
        {"second entry's descriptors past the loop keep the first",
         bat([](BatSection& s) { s.transportStreams[1].rawDescriptorsLength = 0x100; }), 12, 0},
        {"first entry's descriptors past the loop drop both",
         bat([](BatSection& s) { s.transportStreams[0].rawDescriptorsLength = 0x100; }), 0, 0},
        {"a descriptor past its entry's loop drops that loop only", bat([&](BatSection& s) {
             s.transportStreams[0].descriptors =
                 Concat({Descriptor(0xE2, {0, 200, 0, 13}), {0xE2, 8, 0, 100, 0, 12}});
         }),
         0, 13},
        {"transport stream entry cut short", cutEntry, 12, 0},
    };
    for (const Case& c : cases) {
        parser.services.clear();
        Unnumbered(100);
        Unnumbered(200);
        EXPECT_EQ(Parse(c.section), c.numberOf100 != 0 || c.numberOf200 != 0) << c.name;
        EXPECT_EQ(parser.services[100].channelNumber, c.numberOf100) << c.name;
        EXPECT_EQ(parser.services[200].channelNumber, c.numberOf200) << c.name;
    }
}
