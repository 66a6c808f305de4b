// Code-page conversion through iconv, which glibc provides for GBK.
#include "Gbk.h"

#include <iconv.h>

#include <cerrno>

namespace nuvcli {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Owns one iconv descriptor.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts Text, appending to Out. With Lossy set, an unconvertible byte is replaced and
    // skipped; otherwise the conversion stops there and returns false.
    bool Convert(std::string_view text, std::string& out, bool lossy) {
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char chunk[4096];
        while (inLeft > 0) {
            char* next = chunk;
            std::size_t outLeft = sizeof chunk;
            const std::size_t done = iconv(handle_, &in, &inLeft, &next, &outLeft);
            out.append(chunk, sizeof chunk - outLeft);
            if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            if (!lossy) return false;
            out.append(kReplacement);
            ++in;  // EILSEQ or a truncated sequence at the end: skip one byte and go on
            --inLeft;
        }
        return true;
    }

  private:
    iconv_t handle_;
};

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
    Converter converter("GBK", "UTF-8");
    std::string gbk;
    if (!converter.Valid() || !converter.Convert(utf8, gbk, false)) return std::nullopt;
    return gbk;
}

std::string GbkToUtf8(std::string_view gbk) {
    Converter converter("UTF-8", "GBK");
    std::string utf8;
    if (!converter.Valid()) return std::string(gbk);
    converter.Convert(gbk, utf8, true);
    return utf8;
}

}  // namespace nuvcli
