#include "platform/system/PrivateProfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = ::testing::TempDir() + "profile_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
    }
    void TearDown() override { std::remove(path.c_str()); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    int Int(const char* key, int defaultValue = 77) {
        return GetPrivateProfileIntA("Tuner", key, defaultValue, path.c_str());
    }
    std::string path;
};

}  // namespace

TEST_F(PrivateProfileTest, NumberSyntax) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"12303000", 12303000},
        {"  42  ", 42},
        {"-10", -10},
        {"+7", 7},
        {"007", 7},
        {"12abc", 12},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"4294967295", -1},
        {"4294967296", 0},
        {"2147483648", INT32_MIN},
        {"99999999999", 1215752191},  // 99999999999 mod 2^32
    };
    for (const Case& c : cases) {
        Write(std::string("[Tuner]\nTimeout=") + c.value + "\n");
        EXPECT_EQ(Int("Timeout"), c.expected) << "value '" << c.value << "'";
    }
}

TEST_F(PrivateProfileTest, DefaultsWhenFileSectionKeyOrValueMissing) {
    EXPECT_EQ(Int("Timeout"), 77);  // no file
    Write("[Other]\nTimeout=5\n");
    EXPECT_EQ(Int("Timeout"), 77);
    Write("[Tuner]\nTimeoutX=5\nTimeout=\n");
    EXPECT_EQ(Int("Timeout"), 77);
}

TEST_F(PrivateProfileTest, LayoutRules) {
    Write(
        "\xEF\xBB\xBF; comment\r\n# Timeout=1\r\n [ tuner ] \r\n  TIMEOUT  =  30 \r\n"
        "Timeout=40\r\n[Capture]\r\nFile = rec/a b.ts ; not a comment\r\n"
        "[Tuner]\r\nChannelBase=9\r\n");
    EXPECT_EQ(Int("Timeout"), 30);     // case-insensitive names, first occurrence counts
    EXPECT_EQ(Int("channelbase"), 9);  // a repeated section is read too
    EXPECT_EQ(GetPrivateProfileValue("capture", "file", path), "rec/a b.ts ; not a comment");
    EXPECT_FALSE(GetPrivateProfileValue("Capture", "Url", path).has_value());
}
