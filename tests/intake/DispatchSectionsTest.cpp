#include "intake/DispatchSections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sibuild/SdtBuilder.h"
#include "sibuild/TimeTableBuilder.h"
#include "support/ExactBuffer.h"
#include "support/MemoryStream.h"

using sibuild::Bytes;
using sibuild::Concat;

namespace {

// An SDT section (or, with another table id, a section of that table carrying the same
// bytes) whose one new service shows, when registered, that the section was parsed as SDT.
Bytes Section(uint16_t serviceId, uint8_t tableId = 0x42) {
    sibuild::SdtService service;
    service.serviceId = serviceId;
    service.descriptors = sibuild::ServiceDescriptor(0x01, "", "S" + std::to_string(serviceId));
    return sibuild::SdtSection({.tableId = tableId}, {service});
}

std::string Channel(uint16_t serviceId) {
    const std::string id = std::to_string(serviceId);
    return "<channel id=\"" + id + "\">\r\n\t<display-name>S" + id +
           "</display-name>\r\n\t<icon>1</icon>\r\n</channel>\r\n";
}

class SectionDispatch : public ::testing::Test {
protected:
    SectionDispatch() { parser.outputStream = out.File(); }

    // The sample lies in a buffer of exactly its size: any read past it is an ASan error.
    bool Dispatch(const Bytes& sample) {
        ExactBuffer buffer(sample);
        return DispatchSections(buffer.data(), buffer.size(), parser);
    }
    bool Known(uint16_t serviceId) const { return parser.services.contains(serviceId); }

    MemoryStream out;
    SectionParser parser;
};

}  // namespace

TEST_F(SectionDispatch, EmptyOrNegativeLengthDispatchesNothing) {
    EXPECT_FALSE(Dispatch({}));
    EXPECT_FALSE(DispatchSections(nullptr, 0, parser));
    const Bytes section = Section(1);
    EXPECT_FALSE(DispatchSections(section.data(), -1, parser));
    EXPECT_TRUE(parser.services.empty());
    EXPECT_EQ(out.Text(), "");
}

TEST_F(SectionDispatch, SectionsAreParsedInBufferOrder) {
    EXPECT_TRUE(Dispatch(Concat({Section(3), Section(1, 0x46), Section(2)})));
    EXPECT_EQ(out.Text(), Channel(3) + Channel(1) + Channel(2));
}

TEST_F(SectionDispatch, ResultIsTheOrOfTheParsers) {
    EXPECT_TRUE(Dispatch(Section(1)));
    EXPECT_FALSE(Dispatch(Concat({Section(1), Section(1, 0x46)})));
    // A section bringing nothing before one bringing something, and after it.
    EXPECT_TRUE(Dispatch(Concat({Section(1), Section(2), Section(1)})));
    EXPECT_EQ(out.Text(), Channel(1) + Channel(2));
}

TEST_F(SectionDispatch, OtherTablesAreNotDispatched) {
    Bytes sample;
    for (uint8_t tableId : {0x40, 0x4D, 0x70, 0x43, 0x47, 0xFF})
        sample = Concat({sample, Section(tableId, tableId)});
    sample = Concat({sample, sibuild::TdtSection(0), sibuild::TotSection(0)});
    EXPECT_FALSE(Dispatch(sample));
    EXPECT_TRUE(parser.services.empty());
    EXPECT_EQ(out.Text(), "");
}

TEST_F(SectionDispatch, SectionsFailingTheCrcAreSkippedAndTheWalkGoesOn) {
    Bytes damaged = Section(1);
    damaged[8] ^= 0x01;  // a byte of the payload, outside the length field
    Bytes littleEndian = Section(2);
    std::swap(littleEndian[littleEndian.size() - 4], littleEndian[littleEndian.size() - 1]);
    std::swap(littleEndian[littleEndian.size() - 3], littleEndian[littleEndian.size() - 2]);
    Bytes badCrc = Section(3);
    badCrc.back() ^= 0x80;

    EXPECT_TRUE(Dispatch(Concat({damaged, littleEndian, badCrc, Section(4)})));
    EXPECT_FALSE(Known(1));
    EXPECT_FALSE(Known(2));
    EXPECT_FALSE(Known(3));
    EXPECT_TRUE(Known(4));
    EXPECT_EQ(out.Text(), Channel(4));
}

TEST_F(SectionDispatch, SectionsTooShortForACrcAreSteppedOver) {
    // section_length 0 (3 bytes) and 1 (4 bytes), then section_length 2 (5 bytes, failing
    // its CRC), then a whole section: the walk must step exactly over each to reach the SDT.
    const Bytes sample = Concat(
        {{0x42, 0xB0, 0x00}, {0x42, 0xB0, 0x01, 0x42}, {0x42, 0xB0, 0x02, 0x00, 0x00}, Section(5)});
    EXPECT_TRUE(Dispatch(sample));
    EXPECT_EQ(out.Text(), Channel(5));
}

TEST_F(SectionDispatch, TruncatedOrPartialTailEndsTheWalk) {
    const Bytes whole = Section(1);
    const Bytes last = Section(2);
    struct Case {
        const char* what;
        Bytes tail;
    };
    const std::vector<Case> cases{
        {"one stray byte", {0x42}},
        {"two stray bytes", {0x42, 0xB0}},
        {"last section cut by one byte", Bytes(last.begin(), last.end() - 1)},
        {"header only", Bytes(last.begin(), last.begin() + 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream stream;
        SectionParser state;
        state.outputStream = stream.File();
        ExactBuffer buffer(Concat({whole, c.tail}));
        EXPECT_TRUE(DispatchSections(buffer.data(), buffer.size(), state));
        EXPECT_EQ(stream.Text(), Channel(1));
        EXPECT_FALSE(state.services.contains(2));
    }
}

TEST_F(SectionDispatch, DamagedLengthMovesTheWalkAndOnlyValidSectionsCount) {
    // section_length one too long swallows the first byte of the next section: neither
    // matches its CRC, and the walk resynchronises nowhere in this buffer.
    Bytes first = Section(1);
    first[2] += 1;
    EXPECT_FALSE(Dispatch(Concat({first, Section(2)})));
    EXPECT_TRUE(parser.services.empty());
}

TEST_F(SectionDispatch, LargestSectionsAreVerifiedAndParsed) {
    // An SDT of section_length 4093 (4096 bytes): one service padded with a long
    // unknown descriptor.
    sibuild::SdtService service;
    service.serviceId = 77;
    service.descriptors = sibuild::ServiceDescriptor(0x01, "", "S77");
    const size_t fixed = Section(77).size();
    size_t padding = 4096 - fixed;
    while (padding > 0) {
        const size_t body = std::min<size_t>(padding - 2, 255);
        service.descriptors = Concat({service.descriptors, sibuild::Descriptor(0x80, Bytes(body))});
        padding -= body + 2;
    }
    Bytes large = sibuild::SdtSection({}, {service});
    ASSERT_EQ(large.size(), 4096u);
    ASSERT_EQ((large[1] & 0x0F) << 8 | large[2], 4093);

    Bytes damaged = large;
    damaged[4000] ^= 0x10;
    EXPECT_FALSE(Dispatch(damaged));
    EXPECT_FALSE(Known(77));
    EXPECT_TRUE(Dispatch(large));
    EXPECT_EQ(out.Text(), Channel(77));
}
