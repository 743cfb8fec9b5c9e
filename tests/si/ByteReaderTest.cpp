#include "si/ByteReader.h"

#include <gtest/gtest.h>

#include <array>

TEST(ByteReader, ReadsBigEndianFields) {
    const std::array<uint8_t, 10> bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF1, 0x23, 0x45};
    ByteReader r(bytes);
    EXPECT_EQ(r.U8(), 0x12);
    EXPECT_EQ(r.U16(), 0x3456);
    EXPECT_EQ(r.U24(), 0x789ABCu);
    EXPECT_EQ(r.U32(), 0xDEF12345u);
    EXPECT_TRUE(r.AtEnd());
}

TEST(ByteReader, FirstReadPastTheEndFailsEveryLaterRead) {
    const std::array<uint8_t, 3> bytes{1, 2, 3};
    ByteReader r(bytes);
    EXPECT_EQ(r.U16(), 0x0102);
    EXPECT_EQ(r.U16(), 0);  // one byte left: fails, consumes nothing useful
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.U8(), 0);  // the remaining byte is not handed out after the failure
    EXPECT_TRUE(r.Bytes(0).empty());
    EXPECT_FALSE(r.Ok());
    EXPECT_FALSE(r.AtEnd());
}

TEST(ByteReader, ScopeNarrowsToDeclaredLengthAndParentSkipsIt) {
    const std::array<uint8_t, 5> bytes{0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    ByteReader r(bytes);
    ByteReader inner = r.Scope(2);
    EXPECT_EQ(inner.U16(), 0xAABB);
    EXPECT_EQ(inner.U8(), 0);
    EXPECT_FALSE(inner.Ok());
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.U8(), 0xCC);
}

TEST(ByteReader, ScopeLongerThanRemainderFailsBoth) {
    const std::array<uint8_t, 2> bytes{1, 2};
    ByteReader r(bytes);
    ByteReader inner = r.Scope(3);
    EXPECT_FALSE(inner.Ok());
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(inner.U8(), 0);
}
