#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "si/ParseBatSection.h"
#include "si/ParseEitSection.h"
#include "sibuild/BatBuilder.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"
#include "support/XmlCheck.h"

using namespace sibuild;

namespace {

// Language codes as a broadcast may carry them: quotes, markup, control and high bytes, a
// zero byte in the middle, half of a UTF-8 sequence.
const std::string HostileCodes[] = {
    std::string("\"<>"),    std::string("&\x01x"),  std::string("\xFF\xFE\xFD"),
    std::string("a\0b", 3), std::string("\xC3\"x"), std::string("<!-"),
    std::string("\x7F]]"),
};

class HostileLanguage : public ParserFixture {};

}  // namespace

TEST(XmlCheck, RejectsWhatABrokenWriterWouldProduce) {
    EXPECT_TRUE(IsWellFormedXml("<a lang=\"en\">x &amp; y</a>\r\n<b/>"));
    EXPECT_FALSE(IsWellFormedXml("<a lang=\"\"<\">x</a>"));
    EXPECT_FALSE(IsWellFormedXml("<a lang=\"\xFF\">x</a>"));
    EXPECT_FALSE(IsWellFormedXml("<a lang=\"\x01\">x</a>"));
    EXPECT_FALSE(IsWellFormedXml("<a>x & y</a>"));
}

TEST_F(HostileLanguage, EveryLangAttributeStaysWellFormed) {
    now = UtcSeconds(2024, 5, 1);
    parser.batFlag = true;
    AddService(1, 1);
    uint16_t eventId = 1;
    uint16_t serviceId = 100;
    for (const std::string& code : HostileCodes) {
        const Bytes descriptors =
            Concat({ShortEventDescriptor(code, "T\xE9<\x86", "S&\x8A"),
                    ComponentDescriptor(0x03, 0x10, code),
                    ExtendedEventDescriptor(0, 0, code, {{"<x>", "&"}}, "D\x80\xFF")});
        EitSection eit;
        eit.serviceId = 1;
        eit.events.push_back({eventId++, now, 60, 4, false, descriptors, {}, {}, {}});
        const ExactBuffer eitBytes(BuildEit(eit));
        EXPECT_TRUE(ParseEitSection(parser, eitBytes.data(), eitBytes.size()));

        ServiceRecord& service = AddService(serviceId, 0);
        service.names[code] = "N\xE9&<";
        service.names["eng"] = "Plain";
        BatSection bat;
        bat.bouquetDescriptors = BouquetNameDescriptor("Yes Bouquet 1");
        bat.transportStreams.push_back({1, 1, ChannelListDescriptor({{serviceId, serviceId}}), {}});
        const ExactBuffer batBytes(BuildBat(bat));
        EXPECT_TRUE(ParseBatSection(parser, batBytes.data()));
        ++serviceId;

        const std::string output = TakeOutput();
        EXPECT_TRUE(IsWellFormedXml(output)) << output;
        EXPECT_EQ(output.find("lang=\"\"<"), std::string::npos);
    }
}

TEST_F(HostileLanguage, QuotesBecomeEntitiesAndAZeroByteEndsTheCode) {
    now = UtcSeconds(2024, 5, 1);
    AddService(1, 1);
    EitSection eit;
    eit.serviceId = 1;
    eit.events.push_back({1,
                          now,
                          60,
                          4,
                          false,
                          Concat({ShortEventDescriptor("\"<x", "T", ""),
                                  ShortEventDescriptor(std::string("e\0g", 3), "U", "")}),
                          {},
                          {},
                          {}});
    const ExactBuffer eitBytes(BuildEit(eit));
    EXPECT_TRUE(ParseEitSection(parser, eitBytes.data(), eitBytes.size()));
    const std::string output = TakeOutput();
    // Quotes and markup become entities; a zero byte ends the attribute as it always did.
    EXPECT_NE(output.find("<title lang=\"&quot;&lt;\">T</title>"), std::string::npos) << output;
    EXPECT_NE(output.find("<title lang=\"e\">U</title>"), std::string::npos) << output;
}
