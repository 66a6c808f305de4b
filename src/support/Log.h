// The activity log of one session: time-stamped lines kept in memory.
#pragma once

#include <string>

#include "support/Text.h"

namespace nuv {

class TZpLog {
  public:
    // Appends "[yyyy-mm-dd hh:nn:ss] " + text (GBK, unchanged) and returns the new line's index.
    int Add(std::string_view text);
    // Appends every line unchanged, without a time stamp.
    void AddStrings(const TZpStrings& lines);

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const { return lines_[static_cast<size_t>(index)]; }
    const TZpStrings& Lines() const { return lines_; }
    // Every line followed by CR LF.
    std::string Text() const { return JoinLines(lines_); }
    // Writes Text() to the file, replacing an earlier one; throws std::runtime_error on failure.
    void SaveToFile(const std::string& path) const;

    // The stamp for the current local time.
    static std::string TimeStamp();

  private:
    TZpStrings lines_;
};

}  // namespace nuv
