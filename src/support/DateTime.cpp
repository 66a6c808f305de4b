// Conversions between calendar fields and the library's date-time value.
#include "support/DateTime.h"

#include <cmath>

namespace nuv {
namespace {

// Days from 0001-01-01 (proleptic Gregorian) to the given date, as a signed count.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;  // days since 1970-01-01
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

TDateTime EncodeDateTime(const platform::CalendarTime& t) {
    double days = static_cast<double>(
        DaysFromCivil(t.Year, static_cast<unsigned>(t.Month), static_cast<unsigned>(t.Day)) -
        kEpochDays);
    double fraction =
        (t.Hour * 3600000.0 + t.Minute * 60000.0 + t.Second * 1000.0 + t.Millisecond) / 86400000.0;
    // Before the epoch the fraction still counts forward from midnight of that day.
    return days >= 0 ? days + fraction : days - fraction;
}

platform::CalendarTime DecodeDateTime(TDateTime value) {
    platform::CalendarTime t;
    double whole = std::trunc(value);
    int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
    int64_t days = static_cast<int64_t>(whole);
    if (ms >= 86400000) ms = 86399999;
    CivilFromDays(days + kEpochDays, t.Year, t.Month, t.Day);
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
    return t;
}

TDateTime Now() {
    return EncodeDateTime(platform::LocalNow());
}

bool IsValidDateTime(const platform::CalendarTime& t) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.Year < 1 || t.Year > 9999 || t.Month < 1 || t.Month > 12 || t.Day < 1) return false;
    bool leap = (t.Year % 4 == 0 && t.Year % 100 != 0) || t.Year % 400 == 0;
    int days = kDays[t.Month - 1] + (t.Month == 2 && leap ? 1 : 0);
    return t.Day <= days && t.Hour >= 0 && t.Hour < 24 && t.Minute >= 0 && t.Minute < 60 &&
           t.Second >= 0 && t.Second < 60 && t.Millisecond >= 0 && t.Millisecond < 1000;
}

}  // namespace nuv
