#include "platform/system/CodePageConversion.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/DebugOutput.h"

namespace {

// The conversion into a buffer of `size` bytes, which must not be written past; "(failed)"
// when the call returns 0.
std::string Convert(const wchar_t* text, int count, int size, UINT codePage = CP_ACP) {
    std::string buffer(static_cast<size_t>(size) + 8, '#');
    const int written =
        WideCharToMultiByte(codePage, 0, text, count, buffer.data(), size, nullptr, nullptr);
    for (size_t i = static_cast<size_t>(size); i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
    if (written == 0)
        return "(failed)";
    return buffer.substr(0, static_cast<size_t>(written));
}

}  // namespace

TEST(WideCharToMultiByte, SystemCodePageIsUtf8) {
    struct Case {
        const wchar_t* text;
        int count;
        int size;
        std::string expected;
    } cases[] = {
        {L"Input0", 6, 80, "Input0"},
        {L"Input0", -1, 80, std::string("Input0\0", 7)},  // the terminator is counted
        {L"\u00C9\u20AC\U0001F4E1", 3, 80, "\xC3\x89\xE2\x82\xAC\xF0\x9F\x93\xA1"},
        {L"ab", 1, 80, "a"},
        // A lone surrogate or a value beyond Unicode is no character.
        {L"\xD800x", 2, 80, "\xEF\xBF\xBDx"},
        {L"\x110000", 1, 80, "\xEF\xBF\xBD"},
        // Exactly fitting, and one byte short: nothing is written then.
        {L"\u00E4\u00E4", 2, 4, "\xC3\xA4\xC3\xA4"},
        {L"\u00E4\u00E4", 2, 3, "(failed)"},
        {L"Input0", -1, 6, "(failed)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(Convert(c.text, c.count, c.size), c.expected);
        EXPECT_EQ(Convert(c.text, c.count, c.size, CP_UTF8), c.expected);
    }
}

TEST(WideCharToMultiByte, SizeQueryAndInvalidArguments) {
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u20ACx", -1, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u20ACx", 2, nullptr, 0, nullptr, nullptr), 4);
    char buffer[8];
    BOOL usedDefault = TRUE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x", 1, buffer, 8, nullptr, &usedDefault), 1);
    EXPECT_EQ(usedDefault, FALSE);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, L"x", 1, buffer, 8, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, 1, buffer, 8, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x", 0, buffer, 8, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x", -2, buffer, 8, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x", 1, buffer, -1, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x", 1, nullptr, 8, nullptr, nullptr), 0);
}

TEST(DebugOutput, GoesToTheInstalledSinkOnly) {
    OutputDebugStringA("dropped\n");  // no sink: nowhere
    std::string seen;
    auto previous = SetDebugOutputSink([&](const char* text) { seen += text; });
    OutputDebugStringA("Invalid pointer\n");
    OutputDebugStringA(nullptr);
    SetDebugOutputSink(previous);
    OutputDebugStringA("after\n");
    EXPECT_EQ(seen, "Invalid pointer\n");
}
