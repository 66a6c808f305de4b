// Code-page conversion through iconv, which glibc provides for GBK.
#include "nuvsim/Text.h"

#include <iconv.h>

#include <cerrno>

namespace nuvsim {
namespace {

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

    std::optional<std::string> Convert(std::string_view text) {
        std::string out(text.size() * 2 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* next = out.data();
        std::size_t outLeft = out.size();
        // Every UTF-8/GBK character fits in twice its source bytes, so E2BIG cannot happen.
        if (iconv(handle_, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

  private:
    iconv_t handle_;
};

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
    Converter converter(to, from);
    if (!converter.Valid()) return std::nullopt;
    return converter.Convert(text);
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view text) {
    return Convert("GBK", "UTF-8", text);
}

std::optional<std::string> GbkToUtf8(std::string_view text) {
    return Convert("UTF-8", "GBK", text);
}

}  // namespace nuvsim
