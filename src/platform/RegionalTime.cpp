// Reading local date-time texts the way the environment's regional settings (LC_TIME) write dates.
#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cstring>

#include "platform/Platform.h"

namespace nuv::platform {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDateSeparator(char c) {
    return c == '/' || c == '-' || c == '.';
}

// A run of 1 to 4 digits at the front of Text, removed from it.
bool TakeNumber(std::string_view& text, int& value, size_t& digits) {
    digits = 0;
    value = 0;
    while (digits < text.size() && IsDigit(text[digits])) {
        if (++digits > 4) return false;
        value = value * 10 + (text[digits - 1] - '0');
    }
    text.remove_prefix(digits);
    return digits > 0;
}

bool TakeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

// Years of one or two digits fall in the century window around the current year.
int FullYear(int year, size_t digits, int currentYear) {
    if (digits > 2) return year;
    int full = currentYear - currentYear % 100 + year;
    if (full < currentYear - 50) full += 100;
    if (full > currentYear + 49) full -= 100;
    return full;
}

bool IsRealDate(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// "d/m/y" in the given order (any of "/", "-", "." between the fields); a four-digit first
// field always starts a year-month-day date.
bool ReadDate(std::string_view& text, DateOrder order, int currentYear, CalendarTime& value) {
    std::array<int, 3> fields{};
    std::array<size_t, 3> digits{};
    for (size_t i = 0; i < 3; ++i) {
        if (i > 0) {
            if (text.empty() || !IsDateSeparator(text.front())) return false;
            text.remove_prefix(1);
        }
        if (!TakeNumber(text, fields[i], digits[i])) return false;
    }
    if (digits[0] == 4) order = DateOrder::YearMonthDay;
    int year = 0, yearIndex = 0;
    switch (order) {
        case DateOrder::MonthDayYear:
            value.Month = fields[0], value.Day = fields[1], yearIndex = 2;
            break;
        case DateOrder::DayMonthYear:
            value.Day = fields[0], value.Month = fields[1], yearIndex = 2;
            break;
        case DateOrder::YearMonthDay:
            value.Month = fields[1], value.Day = fields[2], yearIndex = 0;
            break;
    }
    year = FullYear(fields[yearIndex], digits[yearIndex], currentYear);
    value.Year = year;
    return IsRealDate(value.Year, value.Month, value.Day);
}

// "h:mm" or "h:mm:ss".
bool ReadTime(std::string_view& text, CalendarTime& value) {
    size_t digits = 0;
    if (!TakeNumber(text, value.Hour, digits) || digits > 2) return false;
    if (!TakeChar(text, ':') || !TakeNumber(text, value.Minute, digits) || digits != 2)
        return false;
    value.Second = 0;
    if (TakeChar(text, ':') && (!TakeNumber(text, value.Second, digits) || digits != 2))
        return false;
    return value.Hour < 24 && value.Minute < 60 && value.Second < 60;
}

// A text that is a time alone: digits, then ':' before any date separator.
bool LooksLikeTime(std::string_view text) {
    for (char c : text) {
        if (c == ':') return true;
        if (!IsDigit(c)) return false;
    }
    return false;
}

}  // namespace

DateOrder DateOrderOf(std::string_view format) {
    int day = -1, month = -1, year = -1, position = 0;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        size_t j = i + 1;
        while (j < format.size() && std::strchr("-_0^#EO", format[j]) != nullptr) ++j;
        if (j >= format.size()) break;
        const char c = format[j];
        if ((c == 'd' || c == 'e') && day < 0) day = position++;
        if ((c == 'm' || c == 'b' || c == 'B' || c == 'h') && month < 0) month = position++;
        if ((c == 'y' || c == 'Y' || c == 'C' || c == 'G') && year < 0) year = position++;
        if (c == 'D') return DateOrder::MonthDayYear;
        if (c == 'F') return DateOrder::YearMonthDay;
        i = j;
    }
    if (day < 0 || month < 0 || year < 0) return DateOrder::MonthDayYear;
    if (year < month && month < day) return DateOrder::YearMonthDay;
    if (day < month) return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

DateOrder RegionalDateOrder() {
    // The environment's LC_TIME, read into a locale object of our own: the process-wide locale
    // belongs to the host application.
    locale_t locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return DateOrderOf(::nl_langinfo(D_FMT));
    const DateOrder order = DateOrderOf(::nl_langinfo_l(D_FMT, locale));
    ::freelocale(locale);
    return order;
}

bool ReadDateTimeText(std::string_view text, DateOrder order, int currentYear,
                      CalendarTime& value) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return false;
    value = CalendarTime{};
    if (LooksLikeTime(text)) {
        // A time of day alone lies on day 0, 1899-12-30.
        value.Year = 1899, value.Month = 12, value.Day = 30;
        return ReadTime(text, value) && text.empty();
    }
    if (!ReadDate(text, order, currentYear, value)) return false;
    if (text.empty()) return true;
    if (!IsBlank(text.front())) return false;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return ReadTime(text, value) && text.empty();
}

bool ReadLocalDateTime(std::string_view text, CalendarTime& value) {
    return ReadDateTimeText(text, RegionalDateOrder(), LocalNow().Year, value);
}

}  // namespace nuv::platform
