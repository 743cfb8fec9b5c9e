#include "platform/dshow/MediaType.h"

#include <gtest/gtest.h>

#include "platform/dshow/DShowGuids.h"

namespace {

TEST(MediaType, CopiesOwnTheirFormatBlock) {
    CMediaType original(&MEDIATYPE_Stream);
    original.SetSubtype(&MEDIASUBTYPE_MPEG2_TRANSPORT);
    original.SetFormatType(&FORMAT_None);
    const BYTE format[] = {1, 2, 3, 4};
    ASSERT_TRUE(original.SetFormat(format, sizeof format));

    CMediaType copy = original;
    EXPECT_NE(copy.pbFormat, original.pbFormat);
    EXPECT_TRUE(copy == original);
    copy.pbFormat[0] = 9;
    EXPECT_FALSE(copy == original);

    AM_MEDIA_TYPE plain;
    ASSERT_EQ(CopyMediaType(&plain, &original), S_OK);
    CMediaType assigned;
    assigned = plain;
    FreeMediaType(plain);  // the assigned copy keeps its own bytes
    EXPECT_TRUE(assigned == original);
    assigned.InitMediaType();
    EXPECT_FALSE(assigned.IsValid());
    EXPECT_EQ(assigned.pbFormat, nullptr);
}

TEST(MediaType, PartialTypesMatchOnTheFieldsTheyGive) {
    CMediaType sections(&MEDIATYPE_MPEG2_SECTIONS);
    sections.SetSubtype(&MEDIASUBTYPE_DVB_SI);
    EXPECT_TRUE(sections.IsPartiallySpecified());  // no format type
    const CMediaType anything;
    const CMediaType sectionsOnly(&MEDIATYPE_MPEG2_SECTIONS);
    CMediaType otherSubtype(&MEDIATYPE_MPEG2_SECTIONS);
    otherSubtype.SetSubtype(&MEDIASUBTYPE_MPEG2_TRANSPORT);
    EXPECT_TRUE(sections.MatchesPartial(&anything));
    EXPECT_TRUE(sections.MatchesPartial(&sectionsOnly));
    EXPECT_FALSE(sections.MatchesPartial(&otherSubtype));
    const CMediaType stream(&MEDIATYPE_Stream);
    EXPECT_FALSE(sections.MatchesPartial(&stream));
}

}  // namespace
