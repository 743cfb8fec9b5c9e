// The routes to the EIT and BAT parsers, and the three parsers working together on one
// sample as a transponder delivers it.

#include <gtest/gtest.h>

#include <string>

#include "intake/DispatchSections.h"
#include "sibuild/BatBuilder.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"
#include "sibuild/SdtBuilder.h"
#include "support/ExactBuffer.h"
#include "support/MemoryStream.h"

using namespace sibuild;

namespace {

const int64_t Now = UtcSeconds(2024, 5, 1, 12, 0, 0);

Bytes Eit(uint8_t tableId, uint16_t serviceId, uint16_t eventId) {
    EitSection section;
    section.tableId = tableId;
    section.serviceId = serviceId;
    section.events.push_back(
        {eventId, Now, 1800, 4, false, ShortEventDescriptor("eng", "T", ""), {}, {}, {}});
    return BuildEit(section);
}

Bytes Bat(uint16_t serviceId, uint16_t channelNumber) {
    BatSection section;
    section.bouquetDescriptors = BouquetNameDescriptor("Yes Bouquet 1");
    section.transportStreams.push_back(
        {1, 1, ChannelListDescriptor({{serviceId, channelNumber}}), {}});
    return BuildBat(section);
}

Bytes Sdt(uint16_t serviceId) {
    SdtService service;
    service.serviceId = serviceId;
    service.descriptors = Concat({ServiceDescriptor(0x01, "P", "Eins"),
                                  MultilingualServiceNameDescriptor({{"heb", "P", "\xE0"}})});
    return SdtSection({}, {service});
}

std::string Programme(const std::string& channel) {
    return "<programme channel=\"" + channel +
           "\" start=\"20240501120000 +0000\" stop=\"20240501123000 +0000\">\r\n "
           "\t<title lang=\"en\">T</title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n"
           "\t<desc lang=\"\"></desc>\r\n</programme>\r\n";
}

class GuideDispatch : public ::testing::Test {
protected:
    GuideDispatch() {
        parser.outputStream = out.File();
        parser.now = [] { return Now; };
    }
    bool Dispatch(const Bytes& sample) {
        const ExactBuffer buffer(sample);
        return DispatchSections(buffer.data(), buffer.size(), parser);
    }
    std::string TakeOutput() {
        const std::string text = out.Text();
        const std::string fresh = text.substr(taken);
        taken = text.size();
        return fresh;
    }

    MemoryStream out;
    SectionParser parser;
    size_t taken = 0;
};

}  // namespace

TEST_F(GuideDispatch, EitTableIdsReachTheEitParser) {
    ServiceRecord& service = parser.services[1];
    service.channelNumber = 1;
    service.serviceType = 0x01;
    service.runningStatus = 4;
    struct Case {
        uint8_t tableId;
        bool routed;
    };
    const Case cases[] = {{0x4E, true}, {0x4F, true},  {0x50, true},  {0x5F, true},  {0x60, true},
                          {0x6F, true}, {0x4D, false}, {0x70, false}, {0x4B, false}, {0x72, false}};
    uint16_t eventId = 1;
    for (const Case& c : cases) {
        EXPECT_EQ(Dispatch(Eit(c.tableId, 1, eventId)), c.routed) << int{c.tableId};
        EXPECT_EQ(TakeOutput().empty(), !c.routed) << int{c.tableId};
        EXPECT_EQ(service.events.count(eventId), c.routed ? 1u : 0u) << int{c.tableId};
        ++eventId;
    }
}

TEST_F(GuideDispatch, BouquetNumbersTheSdtServicesAndTheirProgrammes) {
    parser.batFlag = true;
    // The EIT section before the SDT in the same sample is not yet taken; the BAT numbers the
    // service, and the EIT repetition after it is written under the bouquet number.
    EXPECT_TRUE(Dispatch(Concat({Eit(0x50, 100, 7), Sdt(100), Bat(100, 12), Eit(0x50, 100, 7)})));
    EXPECT_EQ(TakeOutput(),
              "<channel id=\"12\">\r\n\t<display-name lang=\"en\">Eins</display-name>\r\n"
              "\t<display-name lang=\"he\">\xD7\x90</display-name>\r\n\t<icon>1</icon>\r\n"
              "</channel>\r\n" +
                  Programme("12"));
    // The carousel comes round again: nothing new.
    EXPECT_FALSE(Dispatch(Concat({Sdt(100), Bat(100, 12), Eit(0x50, 100, 7), Eit(0x4E, 100, 7)})));
    EXPECT_EQ(TakeOutput(), "");
}

TEST_F(GuideDispatch, DamagedEitOrBatSectionsAreNotParsed) {
    parser.batFlag = true;
    Dispatch(Sdt(100));
    TakeOutput();
    Bytes bat = Bat(100, 12);
    bat[bat.size() - 6] ^= 0x01;  // a channel number byte
    Bytes eit = Eit(0x4E, 100, 7);
    eit[eit.size() - 1] ^= 0x80;  // the CRC itself
    EXPECT_FALSE(Dispatch(Concat({bat, eit})));
    EXPECT_EQ(parser.services[100].channelNumber, 0);
    EXPECT_TRUE(parser.services[100].events.empty());
    EXPECT_EQ(TakeOutput(), "");
}
