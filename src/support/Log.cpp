// The activity log of one session.
#include "support/Log.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "platform/Platform.h"

namespace nuv {

std::string TZpLog::TimeStamp() {
    platform::CalendarTime t = platform::LocalNow();
    // Every line of one second carries the same stamp: format it once per second.
    thread_local platform::CalendarTime last{};
    thread_local std::string stamp;
    if (stamp.empty() || t.Second != last.Second || t.Minute != last.Minute ||
        t.Hour != last.Hour || t.Day != last.Day || t.Month != last.Month || t.Year != last.Year) {
        char sep = platform::TimeSeparator();
        char text[48];
        std::snprintf(text, sizeof text, "[%04d-%02d-%02d %02d%c%02d%c%02d] ", t.Year, t.Month,
                      t.Day, t.Hour, sep, t.Minute, sep, t.Second);
        stamp = text;
        last = t;
    }
    return stamp;
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
