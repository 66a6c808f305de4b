// Byte-string helpers and the date-time value.
#include <gtest/gtest.h>

#include "support/DateTime.h"
#include "support/Text.h"

namespace nuv {
namespace {

TEST(Text, TryStrToIntFollowsThePlatformSyntax) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"80", true, 80},
        {" 80", true, 80},
        {"80 ", false, 0},
        {"", false, 0},
        {"-12", true, -12},
        {"+7", true, 7},
        {"-", false, 0},
        {"1.5", false, 0},
        {"$1F", true, 31},
        {"0x1f", true, 31},
        {"x10", true, 16},
        {"0x", false, 0},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483648", true, INT32_MIN},
        {"0xFFFFFFFF", true, -1},
        {"99999999999", false, 0},
        {"12a", false, 0},
        {"abc", false, 0},
        {"1 2", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(Text, LinesSplitOnEveryBreakAndJoinWithCrLf) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (TZpStrings{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (TZpStrings{"a", "", "b"}));
    EXPECT_EQ(SplitLines(""), TZpStrings{});
    EXPECT_EQ(JoinLines({"13800000000", "13900000000"}), "13800000000\r\n13900000000\r\n");
    EXPECT_EQ(JoinLines({}), "");
}

TEST(Text, TrimControlRemovesBytesUpToBlank) {
    EXPECT_EQ(TrimControl(std::string("\0 \t ab c\r\n\0", 10)), "ab c");
    EXPECT_EQ(TrimControl(std::string(5, '\0')), "");
    EXPECT_EQ(TrimControl("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");  // GBK bytes are not blanks
}

TEST(DateTime, EncodesDaysSince1899_12_30) {
    struct Case {
        platform::CalendarTime t;
        double value;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
        {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
        {{2000, 1, 1, 6, 0, 0, 0}, 36526.25},
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDateTime(c.t), c.value);
        platform::CalendarTime back = DecodeDateTime(c.value);
        EXPECT_EQ(back.Year, c.t.Year);
        EXPECT_EQ(back.Month, c.t.Month);
        EXPECT_EQ(back.Day, c.t.Day);
        EXPECT_EQ(back.Hour, c.t.Hour);
    }
    platform::CalendarTime t{2024, 1, 2, 3, 4, 5, 678};
    platform::CalendarTime back = DecodeDateTime(EncodeDateTime(t));
    EXPECT_EQ(back.Minute, 4);
    EXPECT_EQ(back.Second, 5);
    EXPECT_EQ(back.Millisecond, 678);
}

TEST(DateTime, Validity) {
    EXPECT_TRUE(IsValidDateTime({2024, 2, 29, 23, 59, 59, 0}));
    EXPECT_FALSE(IsValidDateTime({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2024, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2024, 4, 31, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2024, 1, 1, 24, 0, 0, 0}));
}

}  // namespace
}  // namespace nuv
