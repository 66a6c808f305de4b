// The library's date-time value: days since 1899-12-30 as a double, time of day as the fraction.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace nuv {

using TDateTime = double;

// Encodes calendar fields (no validation beyond what the arithmetic needs).
TDateTime EncodeDateTime(const platform::CalendarTime& t);
// Breaks a value back into calendar fields (milliseconds rounded).
platform::CalendarTime DecodeDateTime(TDateTime value);
// The current local date and time.
TDateTime Now();
// Whether a year/month/day/hour/minute/second combination names a real moment.
bool IsValidDateTime(const platform::CalendarTime& t);

}  // namespace nuv
