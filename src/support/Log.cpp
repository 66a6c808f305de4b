// The activity log of one session.
#include "support/Log.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "platform/Platform.h"

namespace nuv {

std::string TZpLog::TimeStamp() {
    platform::CalendarTime t = platform::LocalNow();
    // Every line of one second carries the same stamp: format it once per second. Plain
    // per-thread data only: sessions still log while the process ends, after objects with
    // destructors may be gone.
    thread_local platform::CalendarTime last{};
    thread_local char stamp[48];
    thread_local int length = 0;
    if (length <= 0 || t.Second != last.Second || t.Minute != last.Minute || t.Hour != last.Hour ||
        t.Day != last.Day || t.Month != last.Month || t.Year != last.Year) {
        const char sep = platform::TimeSeparator();
        length = std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d%c%02d%c%02d] ", t.Year,
                               t.Month, t.Day, t.Hour, sep, t.Minute, sep, t.Second);
        last = t;
    }
    return std::string(stamp, static_cast<size_t>(length > 0 ? length : 0));
}

int TZpLog::Add(std::string_view text) {
    std::string line = TimeStamp();
    line += text;
    lines_.push_back(std::move(line));
    return Count() - 1;
}

void TZpLog::AddStrings(const TZpStrings& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
}

void TZpLog::SaveToFile(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace nuv
