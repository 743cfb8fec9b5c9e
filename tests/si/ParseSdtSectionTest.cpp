#include "si/ParseSdtSection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sibuild/SdtBuilder.h"
#include "support/ChannelBaseGuard.h"
#include "support/ExactBuffer.h"
#include "support/MemoryStream.h"

using sibuild::Bytes;
using sibuild::Concat;
using sibuild::Descriptor;
using sibuild::MultilingualServiceNameDescriptor;
using sibuild::SdtService;
using sibuild::ServiceDescriptor;

namespace {

std::string Channel(const std::string& id, const std::string& name, const std::string& icon) {
    return "<channel id=\"" + id + "\">\r\n\t<display-name>" + name +
           "</display-name>\r\n\t<icon>" + icon + "</icon>\r\n</channel>\r\n";
}

// The services map as one comparable line per service, in service_id order.
std::string Describe(const SectionParser& parser) {
    std::map<uint16_t, const ServiceRecord*> sorted;
    for (const auto& [id, record] : parser.services)
        sorted[id] = &record;
    std::string out;
    for (const auto& [id, record] : sorted) {
        out += std::to_string(id) + ": number " + std::to_string(record->channelNumber) +
               ", type " + std::to_string(record->serviceType) + ", status " +
               std::to_string(record->runningStatus) + ", names";
        std::map<std::string, std::string> names(record->names.begin(), record->names.end());
        for (const auto& [language, name] : names)
            out += " " + language + "=" + name;
        out += "\n";
    }
    return out;
}

Bytes Sdt(std::vector<SdtService> services, uint8_t tableId = 0x42) {
    return sibuild::SdtSection({.tableId = tableId}, services);
}

SdtService Service(uint16_t serviceId, Bytes descriptors, uint8_t runningStatus = 4) {
    SdtService service;
    service.serviceId = serviceId;
    service.runningStatus = runningStatus;
    service.descriptors = std::move(descriptors);
    return service;
}

SdtService Named(uint16_t serviceId, std::string name, uint8_t serviceType = 0x01,
                 uint8_t runningStatus = 4) {
    return Service(serviceId, ServiceDescriptor(serviceType, "Provider", name), runningStatus);
}

class SdtParsing : public ::testing::Test {
protected:
    SdtParsing() { parser.outputStream = out.File(); }

    // The section lies in a buffer of exactly its size: any read past it is an ASan error.
    bool Parse(const Bytes& section) {
        ExactBuffer buffer(section);
        return ParseSdtSection(parser, buffer.data(), buffer.size());
    }

    MemoryStream out;
    SectionParser parser;
};

}  // namespace

TEST_F(SdtParsing, NewServiceIsStoredAndWrittenOnce) {
    const Bytes section = Sdt({Named(4001, "Channel One", 0x01, 4)});
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(out.Text(), Channel("4001", "Channel One", "1"));
    EXPECT_EQ(Describe(parser), "4001: number 4001, type 1, status 4, names eng=Channel One\n");

    // A repetition brings nothing and writes nothing.
    EXPECT_FALSE(Parse(section));
    EXPECT_EQ(out.Text(), Channel("4001", "Channel One", "1"));
}

TEST_F(SdtParsing, FirstEntrySeenDecidesAcrossTablesAndVersions) {
    EXPECT_TRUE(Parse(Sdt({Named(7, "Other TS", 0x02, 1)}, 0x46)));
    const std::string firstOutput = out.Text();
    const std::string firstState = Describe(parser);

    Bytes actual =
        sibuild::SdtSection({.tableId = 0x42, .version = 5}, {Named(7, "Renamed", 0x19, 4)});
    EXPECT_FALSE(Parse(actual));
    EXPECT_EQ(out.Text(), firstOutput);
    EXPECT_EQ(Describe(parser), firstState);
    EXPECT_EQ(firstState, "7: number 7, type 2, status 1, names eng=Other TS\n");
}

TEST_F(SdtParsing, FlagIsTrueWhenAnyServiceIsNew) {
    EXPECT_TRUE(Parse(Sdt({Named(1, "A")})));
    EXPECT_FALSE(Parse(Sdt({Named(1, "A")})));
    EXPECT_TRUE(Parse(Sdt({Named(1, "A"), Named(2, "B")})));
    EXPECT_EQ(out.Text(), Channel("1", "A", "1") + Channel("2", "B", "1"));
}

TEST_F(SdtParsing, SectionsWithoutServiceLoopYieldFalse) {
    const Bytes empty = Sdt({});
    ASSERT_EQ(empty.size(), 15u);
    EXPECT_FALSE(Parse(empty));
    // Too short for the fixed header and CRC: nothing may be read.
    for (size_t length : {0u, 1u, 3u, 11u, 14u}) {
        ExactBuffer buffer(empty, length);
        EXPECT_FALSE(ParseSdtSection(parser, buffer.data(), buffer.size())) << length;
    }
    EXPECT_EQ(out.Text(), "");
    EXPECT_TRUE(parser.services.empty());
}

TEST_F(SdtParsing, ServiceWithoutServiceDescriptorIsStoredUnnamedAndUnwritten) {
    const Bytes section =
        Sdt({Service(10, {}, 4),
             Service(11,
                     Concat({Descriptor(0x4A, {1, 2, 3}),  // stepped over
                             MultilingualServiceNameDescriptor(
                                 {{"heb", "P", "Hebrew"}, {"rus", "", "Russian"}})}),
                     2)});
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(out.Text(), "");
    EXPECT_EQ(Describe(parser),
              "10: number 0, type 0, status 4, names\n"
              "11: number 0, type 0, status 2, names heb=Hebrew rus=Russian\n");
}

TEST_F(SdtParsing, ServiceWithServiceDescriptorIsNumberedByServiceIdOrLeftToTheBouquet) {
    const Bytes section = Sdt({Named(300, "Sport", 0x19, 4)});
    for (bool batFlag : {false, true}) {
        SCOPED_TRACE(batFlag ? "BAT flag set" : "BAT flag clear");
        MemoryStream stream;
        SectionParser state;
        state.outputStream = stream.File();
        state.batFlag = batFlag;
        ExactBuffer buffer(section);
        EXPECT_TRUE(ParseSdtSection(state, buffer.data(), buffer.size()));
        EXPECT_EQ(stream.Text(), batFlag ? "" : Channel("300", "Sport", "25"));
        EXPECT_EQ(Describe(state), std::string("300: number ") + (batFlag ? "0" : "300") +
                                       ", type 25, status 4, names eng=Sport\n");
    }
}

TEST_F(SdtParsing, ChannelIdAddsChannelBaseModulo65536) {
    struct Case {
        int32_t channelBase;
        uint16_t serviceId;
        const char* id;
    };
    for (const Case& c : {Case{1000, 65000, "464"}, Case{0, 4001, "4001"}, Case{-1, 0, "65535"},
                          Case{65536 + 5, 10, "15"}}) {
        ChannelBaseGuard guard(c.channelBase);
        MemoryStream stream;
        SectionParser state;
        state.outputStream = stream.File();
        ExactBuffer buffer(Sdt({Named(c.serviceId, "X")}));
        ParseSdtSection(state, buffer.data(), buffer.size());
        EXPECT_EQ(stream.Text(), Channel(c.id, "X", "1")) << c.channelBase << " " << c.serviceId;
        // The record keeps the service_id; the base is added only when written.
        EXPECT_EQ(state.services.at(c.serviceId).channelNumber, c.serviceId);
    }
}

TEST_F(SdtParsing, DisplayNamesAreDecodedAsCyrillicAndEscaped) {
    struct Case {
        uint8_t serviceType;
        std::string raw;
        std::string written;
        const char* icon;
    };
    const std::vector<Case> cases{
        {0x01, "Plain ASCII", "Plain ASCII", "1"},
        {0x19, "HD", "HD", "25"},
        {0x02, "Rock & <Roll>", "Rock &amp; &lt;Roll&gt;", "2"},
        {0x01, "\xE9", "\xD1\x89", "1"},  // U+0449 in ISO/IEC 8859-5
        {0x01, "\x01News", "News", "1"},  // character table selector dropped
        {0xFF, "", "", "255"},
    };
    uint16_t serviceId = 1;
    std::string expected;
    for (const Case& c : cases) {
        EXPECT_TRUE(Parse(Sdt({Named(serviceId, c.raw, c.serviceType)})));
        expected += Channel(std::to_string(serviceId), c.written, c.icon);
        // Names are stored raw, undecoded.
        EXPECT_EQ(parser.services.at(serviceId).names.at("eng"), c.raw);
        ++serviceId;
    }
    EXPECT_EQ(out.Text(), expected);
}

TEST_F(SdtParsing, EveryNameEntryOfAServiceDescriptorIsWrittenAndTheLastKept) {
    // The second entry's service_type is not read: the icon stays the first one's.
    const Bytes section =
        Sdt({Service(5, ServiceDescriptor({{0x01, "P1", "First"}, {0x02, "P2", "Second"}}))});
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(out.Text(), Channel("5", "First", "1") + Channel("5", "Second", "1"));
    EXPECT_EQ(Describe(parser), "5: number 5, type 1, status 4, names eng=Second\n");
}

TEST_F(SdtParsing, NamesAreStoredByLanguageAndLaterEntriesReplaceEarlierOnes) {
    const Bytes section = Sdt({Service(
        9, Concat({MultilingualServiceNameDescriptor({{"eng", "", "Multi"}, {"heb", "", "One"}}),
                   ServiceDescriptor(0x01, "", "Main"),
                   MultilingualServiceNameDescriptor({{"heb", "", "Two"}})}))});
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(out.Text(), Channel("9", "Main", "1"));
    EXPECT_EQ(Describe(parser), "9: number 9, type 1, status 4, names eng=Main heb=Two\n");
}

TEST_F(SdtParsing, ElementsFollowTheServiceLoopOrder) {
    EXPECT_TRUE(Parse(Sdt({Named(30, "C"), Named(10, "A"), Named(20, "B")})));
    EXPECT_EQ(out.Text(),
              Channel("30", "C", "1") + Channel("10", "A", "1") + Channel("20", "B", "1"));
}

TEST_F(SdtParsing, RepeatedServiceIdInOneSectionCountsOnce) {
    EXPECT_TRUE(Parse(Sdt({Named(4, "Once"), Named(4, "Twice")})));
    EXPECT_EQ(out.Text(), Channel("4", "Once", "1"));
}

// Lengths that run past what holds them: the faulty item and the rest of its loop are
// dropped, everything before stands, and nothing is read outside the section.
TEST_F(SdtParsing, FaultyLengthsDropTheItemAndTheRestOfItsLoop) {
    const Bytes good1 = sibuild::SdtServiceEntry(Named(1, "One"));
    const Bytes good3 = sibuild::SdtServiceEntry(Named(3, "Three"));
    const Bytes multi = MultilingualServiceNameDescriptor({{"heb", "", "Kept"}});
    auto service2 = [](Bytes descriptors) {
        return sibuild::SdtServiceEntry(Service(2, std::move(descriptors)));
    };
    struct Case {
        const char* what;
        Bytes loop;
        bool flag;
        std::string output;
        std::string services;
    };
    const std::string one = "1: number 1, type 1, status 4, names eng=One\n";
    const std::string three = "3: number 3, type 1, status 4, names eng=Three\n";
    const std::string twoKept = "2: number 0, type 0, status 4, names heb=Kept\n";
    const std::string out1 = Channel("1", "One", "1");
    const std::string out13 = out1 + Channel("3", "Three", "1");
    const std::vector<Case> cases{
        {"stray bytes too short for a service entry", Concat({good1, {0x00, 0x05, 0xFC, 0x80}}),
         true, out1, one},
        {"descriptor loop past the service loop (into the CRC)",
         Concat({good1, good3,
                 [&] {
                     SdtService last = Service(2, multi);
                     last.descriptorsLoopLength = static_cast<uint16_t>(multi.size() + 1);
                     return sibuild::SdtServiceEntry(last);
                 }()}),
         true, out13, one + three},
        {"only known and faulty services", {0x00, 0x01, 0xFC, 0x8F, 0xFF}, false, "", ""},
        {"descriptor past its loop, the next service goes on",
         Concat({good1, service2(Concat({multi, {0x48, 0x10, 0x01}})), good3}), true, out13,
         one + twoKept + three},
        {"descriptor tag without a length byte",
         Concat({good1, service2(Concat({multi, {0x48}})), good3}), true, out13,
         one + twoKept + three},
        {"service descriptor without body",
         Concat({good1, service2(Concat({multi, Descriptor(0x48, {}), multi})), good3}), true,
         out13, one + twoKept + three},
        {"service descriptor holding only service_type",
         Concat({good1, service2(Concat({multi, Descriptor(0x48, {0x01})})), good3}), true, out13,
         one + twoKept + three},
        {"provider name past the body",
         Concat({good1,
                 service2(Concat({multi, Descriptor(0x48, {0x01, 0x05, 'P'}),
                                  ServiceDescriptor(1, "", "Lost")})),
                 good3}),
         true, out13, one + twoKept + three},
        {"second name entry past the body: the first is not written either",
         Concat({good1,
                 service2(Concat(
                     {multi, Descriptor(0x48, {0x01, 0x00, 0x02, 'O', 'K', 0x01, 0x00, 0x09, 'X'}),
                      ServiceDescriptor(1, "", "Lost")})),
                 good3}),
         true, out13, one + twoKept + three},
        {"name past the body though inside the loop",
         Concat({good1,
                 service2(Concat({multi, Descriptor(0x48, {0x01, 0x00, 0x04, 'A'}),
                                  Descriptor(0x4A, {'B', 'C', 'D'})})),
                 good3}),
         true, out13, one + twoKept + three},
        {"multilingual entry past the body: none of its names",
         Concat({good1,
                 service2(Concat({multi,
                                  Descriptor(0x5D, {'r', 'u', 's', 0x00, 0x01, 'R', 'f', 'r', 'a',
                                                    0x00, 0x05, 'F'}),
                                  ServiceDescriptor(1, "", "Lost")})),
                 good3}),
         true, out13, one + twoKept + three},
        {"multilingual entry cut inside its language code",
         Concat({good1, service2(Concat({multi, Descriptor(0x5D, {'r', 'u'})})), good3}), true,
         out13, one + twoKept + three},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream stream;
        SectionParser state;
        state.outputStream = stream.File();
        ExactBuffer buffer(sibuild::SdtSectionFromLoop({}, c.loop));
        EXPECT_EQ(ParseSdtSection(state, buffer.data(), buffer.size()), c.flag);
        EXPECT_EQ(stream.Text(), c.output);
        EXPECT_EQ(Describe(state), c.services);
    }
}

TEST_F(SdtParsing, ServiceLoopEndingExactlyAtTheCrcIsWhole) {
    const Bytes section = Sdt({Named(1, "A"), Named(2, "B")});
    EXPECT_TRUE(Parse(section));
    EXPECT_EQ(out.Text(), Channel("1", "A", "1") + Channel("2", "B", "1"));
}

// Whatever the bytes say, the parser stays inside totalLength and writes whole elements
// only: every byte of a section set to each value, and every shorter totalLength.
TEST_F(SdtParsing, DamagedSectionsNeverReadOutsideAndWriteWholeElements) {
    const Bytes section =
        Sdt({Named(1, "One"),
             Service(2, Concat({ServiceDescriptor({{0x01, "P", "Two"}, {0x02, "", "Deux"}}),
                                MultilingualServiceNameDescriptor({{"fra", "", "Deux"}})}))});
    auto check = [](const Bytes& bytes, size_t length) {
        MemoryStream stream;
        SectionParser state;
        state.outputStream = stream.File();
        ExactBuffer buffer(bytes, length);
        ParseSdtSection(state, buffer.data(), buffer.size());
        const std::string text = stream.Text();
        size_t opened = 0, closed = 0;
        for (size_t p = 0; (p = text.find("<channel id=", p)) != std::string::npos; ++p)
            ++opened;
        for (size_t p = 0; (p = text.find("</channel>\r\n", p)) != std::string::npos; ++p)
            ++closed;
        ASSERT_EQ(opened, closed) << text;
        ASSERT_LE(state.services.size(), 2u + (length > 15 ? (length - 15) / 5 : 0));
    };
    for (size_t length = 0; length <= section.size(); ++length)
        check(section, length);
    for (size_t position = 0; position < section.size() - 4; ++position)
        for (int value = 0; value < 256; ++value) {
            Bytes damaged = section;
            damaged[position] = static_cast<uint8_t>(value);
            check(damaged, damaged.size());
        }
}
