// GBK <-> UTF-16 / UTF-8 conversion with iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/Platform.h"

namespace nuv::platform {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts input; an unconvertible input byte is skipped and `replacement` written instead.
    std::string Run(std::string_view input, std::string_view replacement, size_t unit) {
        std::string out;
        if (!Valid()) return out;
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        out.resize(input.size() * 4 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t used = 0;
        while (inLeft > 0) {
            char* dst = out.data() + used;
            size_t outLeft = out.size() - used;
            size_t rc = ::iconv(handle_, &in, &inLeft, &dst, &outLeft);
            used = out.size() - outLeft;
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence): replace one unit's worth of input bytes.
            size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
            if (out.size() - used < replacement.size())
                out.resize(out.size() * 2 + replacement.size());
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

  private:
    iconv_t handle_;
};

// A converter for one call: conversions are rare enough (fixed texts once, a message text per
// send) that opening one each time costs little, and no cached state can outlive the thread or
// the library while a session still closes at process exit.
std::string Convert(int which, std::string_view input, std::string_view replacement, size_t unit) {
    static const char* const kPairs[4][2] = {
        {"UTF-16LE", "GBK"}, {"GBK", "UTF-16LE"}, {"GBK", "UTF-8"}, {"UTF-8", "GBK"}};
    Converter converter(kPairs[which][0], kPairs[which][1]);
    return converter.Run(input, replacement, unit);
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    static const std::string kReplacement("\xFD\xFF", 2);  // U+FFFD little-endian
    std::string bytes = Convert(0, gbk, kReplacement, 1);
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return text;
}

std::string Utf16ToGbk(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return Convert(1, bytes, "?", 2);
}

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert(2, utf8, "?", 1);
}

std::string GbkToUtf8(std::string_view gbk) {
    return Convert(3, gbk, "\xEF\xBF\xBD", 1);
}

}  // namespace nuv::platform
