#include "platform/com/Guid.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr GUID kFilterGraph = GuidFromText("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");

TEST(Guid, CompileTimeTextGivesTheFieldsInWindowsOrder) {
    EXPECT_EQ(kFilterGraph.Data1, 0xE436EBB3u);
    EXPECT_EQ(kFilterGraph.Data2, 0x524F);
    EXPECT_EQ(kFilterGraph.Data3, 0x11CE);
    const uint8_t data4[8] = {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(kFilterGraph.Data4[i], data4[i]) << i;
}

TEST(Guid, FormatsUpperCaseBracedAndParsesBothCases) {
    EXPECT_EQ(FormatGuid(kFilterGraph), "{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
    EXPECT_EQ(FormatGuidW(GUID_NULL), L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(ParseGuid("{e436ebb3-524f-11ce-9f53-0020af0ba770}"), kFilterGraph);
    EXPECT_EQ(ParseGuid(FormatGuid(kFilterGraph)), kFilterGraph);
    const GUID high = GuidFromText("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
    EXPECT_EQ(ParseGuid(FormatGuidW(high)), high);
}

TEST(Guid, RejectsAnythingButTheBracedForm) {
    const char* bad[] = {
        "",
        "E436EBB3-524F-11CE-9F53-0020AF0BA770",     // no braces
        "{E436EBB3-524F-11CE-9F53-0020AF0BA770",    // no closing brace
        "{E436EBB3-524F-11CE-9F53-0020AF0BA7700}",  // one digit too many
        "{E436EBB3-524F-11CE-9F53-0020AF0BA77}",    // one digit short
        "{E436EBB3 524F-11CE-9F53-0020AF0BA770}",   // blank for a dash
        "{E436EBB3-524F-11CE-9F530-020AF0BA770}",   // dash in the wrong place
        "{G436EBB3-524F-11CE-9F53-0020AF0BA770}",   // not hex
        "{E436EBB3-524F-11CE-9F53-0020AF0BA77 }",   // blank inside
        " {E436EBB3-524F-11CE-9F53-0020AF0BA770}",  // leading blank
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseGuid(std::string(text))) << text;
}

TEST(Guid, ClsidFromStringReportsBadTextWithClassString) {
    CLSID clsid = kFilterGraph;
    EXPECT_EQ(CLSIDFromString(L"{E436EBB3-524F-11CE-9F53-0020AF0BA770}", &clsid), S_OK);
    EXPECT_EQ(clsid, kFilterGraph);
    EXPECT_EQ(CLSIDFromString(L"FilterGraph", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(L"{E436EBB3-524F-11CE-9F53-0020AF0BA770}", nullptr), E_INVALIDARG);
}

TEST(Guid, StringFromGuid2NeedsRoomForTheTerminator) {
    wchar_t text[39];
    EXPECT_EQ(StringFromGUID2(kFilterGraph, text, 39), 39);
    EXPECT_EQ(std::wstring(text), L"{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
    EXPECT_EQ(StringFromGUID2(kFilterGraph, text, 38), 0);
}

}  // namespace
