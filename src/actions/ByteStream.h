// A growable byte buffer with one read/write position.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nuv {

class TZpByteStream {
  public:
    // Writes at the position (overwriting, then growing) and advances it.
    void Write(std::string_view bytes);
    // Reads up to `count` bytes from the position; fewer at the end.
    std::string_view Read(size_t count);
    // Moves the position; beyond the end it stops at the end.
    void Seek(size_t position) { position_ = position < data_.size() ? position : data_.size(); }
    size_t Position() const { return position_; }
    size_t Size() const { return data_.size(); }
    size_t Remaining() const { return data_.size() - position_; }
    const std::string& Bytes() const { return data_; }
    void Reserve(size_t size) { data_.reserve(size); }

  private:
    std::string data_;
    size_t position_ = 0;
};

}  // namespace nuv
