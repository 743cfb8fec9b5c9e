#include "sibuild/SdtBuilder.h"

#include <gtest/gtest.h>

#include "si/Crc32Mpeg2.h"

using sibuild::Bytes;

namespace {
bool CrcHolds(const Bytes& section) {
    return Crc32Mpeg2(section.data(), section.size()) == 0;
}
}  // namespace

TEST(SdtBuilder, FieldsStandWhereTheTableDefinesThem) {
    sibuild::SdtService service;
    service.serviceId = 0x0102;
    service.eitSchedule = true;
    service.runningStatus = 4;
    service.freeCa = true;
    service.descriptors = sibuild::ServiceDescriptor(0x19, "P", "N");
    const Bytes section = sibuild::SdtSection({.tableId = 0x46,
                                               .transportStreamId = 0x1234,
                                               .originalNetworkId = 0x0056,
                                               .version = 3,
                                               .sectionNumber = 1,
                                               .lastSectionNumber = 2},
                                              {service});
    const Bytes header{0x46, 0xB0, 24, 0x12, 0x34, 0xC7, 0x01, 0x02, 0x00, 0x56, 0xFF};
    const Bytes entry{0x01, 0x02, 0xFE, 0x90, 0x07, 0x48, 0x05, 0x19, 0x01, 'P', 0x01, 'N'};
    ASSERT_EQ(section.size(), header.size() + entry.size() + 4);
    EXPECT_EQ(Bytes(section.begin(), section.begin() + 11), header);
    EXPECT_EQ(Bytes(section.begin() + 11, section.end() - 4), entry);
    EXPECT_TRUE(CrcHolds(section));
}

TEST(SdtBuilder, NameDescriptorsAndDeliberatelyWrongLengths) {
    EXPECT_EQ(sibuild::ServiceDescriptor({{0x01, "", "A"}, {0x02, "Q", ""}}),
              (Bytes{0x48, 0x08, 0x01, 0x00, 0x01, 'A', 0x02, 0x01, 'Q', 0x00}));
    EXPECT_EQ(sibuild::MultilingualServiceNameDescriptor({{"rus", "", "B"}}),
              (Bytes{0x5D, 0x06, 'r', 'u', 's', 0x00, 0x01, 'B'}));
    EXPECT_THROW(sibuild::MultilingualServiceNameDescriptor({{"en", "", "B"}}),
                 std::invalid_argument);

    sibuild::SdtService service;
    service.serviceId = 1;
    service.runningStatus = 7;
    service.descriptors = {0x48};
    service.descriptorsLoopLength = 0x0FFF;
    EXPECT_EQ(sibuild::SdtServiceEntry(service), (Bytes{0x00, 0x01, 0xFC, 0xEF, 0xFF, 0x48}));

    const Bytes raw = sibuild::SdtSectionFromLoop({}, {0xAA, 0xBB});
    EXPECT_EQ(raw.size(), 15u + 2);
    EXPECT_EQ(raw[11], 0xAA);
    EXPECT_TRUE(CrcHolds(raw));
}
