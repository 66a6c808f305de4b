// Reading send times written under the regional settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "net/Net.h"
#include "platform/Platform.h"

namespace nuv::test {
namespace {

using platform::DateOrder;

TEST(TimeTextTest, DateOrderOfFormats) {
    const struct {
        const char* format;
        DateOrder order;
    } cases[] = {
        {"%m/%d/%y", DateOrder::MonthDayYear},      // C, en_US
        {"%d/%m/%Y", DateOrder::DayMonthYear},      // en_GB
        {"%d.%m.%Y", DateOrder::DayMonthYear},      // de_DE
        {"%Y-%m-%d", DateOrder::YearMonthDay},      // sv_SE
        {"%Y年%m月%d日", DateOrder::YearMonthDay},  // zh_CN
        {"%e/%b/%Y", DateOrder::DayMonthYear},
        {"%D", DateOrder::MonthDayYear},
        {"%F", DateOrder::YearMonthDay},
        {"%-d.%-m.%Y", DateOrder::DayMonthYear},
        {"", DateOrder::MonthDayYear},
        {"%", DateOrder::MonthDayYear},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::DateOrderOf(c.format), c.order) << c.format;
}

struct ReadCase {
    const char* text;
    DateOrder order;
    bool ok;
    platform::CalendarTime expected;
};

TEST(TimeTextTest, ReadsDatesAndTimes) {
    constexpr auto MDY = DateOrder::MonthDayYear;
    constexpr auto DMY = DateOrder::DayMonthYear;
    constexpr auto YMD = DateOrder::YearMonthDay;
    const ReadCase cases[] = {
        {"2024-01-02 03:04:05", MDY, true, {2024, 1, 2, 3, 4, 5, 0}},
        {"2024/1/2 3:04", DMY, true, {2024, 1, 2, 3, 4, 0, 0}},  // four digits first: y-m-d
        {"2024.12.24", MDY, true, {2024, 12, 24, 0, 0, 0, 0}},
        {"01/02/2024", MDY, true, {2024, 1, 2, 0, 0, 0, 0}},
        {"01/02/2024", DMY, true, {2024, 2, 1, 0, 0, 0, 0}},
        {"24.12.2026 08:30", DMY, true, {2026, 12, 24, 8, 30, 0, 0}},
        {"1-2-24", MDY, true, {2024, 1, 2, 0, 0, 0, 0}},
        {"1/2/99", MDY, true, {1999, 1, 2, 0, 0, 0, 0}},  // two-digit years: within 50 years
        {"24/1/2", YMD, true, {2024, 1, 2, 0, 0, 0, 0}},
        {"  2024-01-02   23:59:59  ", MDY, true, {2024, 1, 2, 23, 59, 59, 0}},
        {"8:30", MDY, true, {1899, 12, 30, 8, 30, 0, 0}},  // a time alone lies on day 0
        {"08:30:15", DMY, true, {1899, 12, 30, 8, 30, 15, 0}},
        {"2024-02-29", MDY, true, {2024, 2, 29, 0, 0, 0, 0}},
        {"", MDY, false, {}},
        {"   ", MDY, false, {}},
        {"tomorrow", MDY, false, {}},
        {"2023-02-29", MDY, false, {}},
        {"13/01/2024", MDY, false, {}},
        {"2024-01-02 24:00", MDY, false, {}},
        {"2024-01-02 3:60", MDY, false, {}},
        {"2024-01-02 3:4", MDY, false, {}},
        {"2024-01-02T03:04", MDY, false, {}},
        {"2024-01-02 03:04 PM", MDY, false, {}},
        {"2024-01", MDY, false, {}},
        {"2024-01-02-03", MDY, false, {}},
        {"20240-01-02", MDY, false, {}},
        {"0000-01-02", MDY, false, {}},
        {"12:", MDY, false, {}},
    };
    for (const auto& c : cases) {
        platform::CalendarTime t{1, 1, 1, 1, 1, 1, 1};
        const bool ok = platform::ReadDateTimeText(c.text, c.order, 2026, t);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (!ok || !c.ok) continue;
        EXPECT_EQ(t.Year, c.expected.Year) << c.text;
        EXPECT_EQ(t.Month, c.expected.Month) << c.text;
        EXPECT_EQ(t.Day, c.expected.Day) << c.text;
        EXPECT_EQ(t.Hour, c.expected.Hour) << c.text;
        EXPECT_EQ(t.Minute, c.expected.Minute) << c.text;
        EXPECT_EQ(t.Second, c.expected.Second) << c.text;
        EXPECT_EQ(t.Millisecond, 0) << c.text;
    }
}

// The environment's LC_TIME decides the order; the C locale writes month/day/year.
TEST(TimeTextTest, RegionalOrderComesFromTheEnvironment) {
    const char* saved = std::getenv("LC_ALL");
    const std::string savedAll = saved ? saved : "";
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(platform::RegionalDateOrder(), DateOrder::MonthDayYear);
    TDateTime value = 0;
    ASSERT_TRUE(TextToDateTime("01/02/2024 03:04:05", value));
    platform::CalendarTime t = DecodeDateTime(value);
    EXPECT_EQ(t.Month, 1);
    EXPECT_EQ(t.Day, 2);
    ASSERT_TRUE(TextToDateTime("8:30", value));
    EXPECT_NEAR(value, 8.5 / 24, 1e-9);
    EXPECT_FALSE(TextToDateTime("", value));
    if (saved) {
        ::setenv("LC_ALL", savedAll.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

}  // namespace
}  // namespace nuv::test
