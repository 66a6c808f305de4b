// Local clock, monotonic ticks and sleeping.
#include <time.h>

#include <cerrno>

#include "platform/Platform.h"

namespace nuv::platform {

CalendarTime LocalNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // Breaking the time into local fields is the costly part; within one second it cannot change.
    thread_local time_t cachedSecond = -1;
    thread_local tm local{};
    if (now.tv_sec != cachedSecond) {
        ::localtime_r(&now.tv_sec, &local);
        cachedSecond = now.tv_sec;
    }
    return CalendarTime{local.tm_year + 1900,
                        local.tm_mon + 1,
                        local.tm_mday,
                        local.tm_hour,
                        local.tm_min,
                        local.tm_sec,
                        static_cast<int>(now.tv_nsec / 1000000)};
}

uint32_t TickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

char TimeSeparator() {
    return ':';
}

}  // namespace nuv::platform
