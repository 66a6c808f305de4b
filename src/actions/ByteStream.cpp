// A growable byte buffer with one read/write position.
#include "actions/ByteStream.h"

#include <algorithm>

namespace nuv {

void TZpByteStream::Write(std::string_view bytes) {
    if (position_ == data_.size()) {
        data_.append(bytes);
    } else {
        size_t overlap = std::min(bytes.size(), data_.size() - position_);
        data_.replace(position_, overlap, bytes.substr(0, overlap));
        data_.append(bytes.substr(overlap));
    }
    position_ += bytes.size();
}

std::string_view TZpByteStream::Read(size_t count) {
    size_t n = std::min(count, Remaining());
    std::string_view bytes(data_.data() + position_, n);
    position_ += n;
    return bytes;
}

}  // namespace nuv
