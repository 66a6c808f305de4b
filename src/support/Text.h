// Byte-string helpers shared by the whole library: fixed texts, lines, trimming, integers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nuv {

// The library's fixed texts are written readably (UTF-8) in the source and reach callers and the
// wire as GBK; each one is converted once, on first use.
std::string ToGbk(std::string_view utf8);
#define NUV_GBK(utf8)                                            \
    ([]() -> const std::string& {                                \
        static const std::string converted = ::nuv::ToGbk(utf8); \
        return converted;                                        \
    }())

using TZpStrings = std::vector<std::string>;

// Splits at CR LF, CR or LF; a final line without a break counts, a trailing break adds nothing.
TZpStrings SplitLines(std::string_view text);
// Every line followed by CR LF, the last one included.
std::string JoinLines(const TZpStrings& lines);

// Removes leading and trailing bytes 0x00-0x20 (blanks, zero bytes, control characters).
std::string_view TrimControl(std::string_view text);

// The platform's integer syntax: optional leading blanks, an optional sign, then decimal digits,
// or hexadecimal digits after "$", "x" or "0x". Anything else (trailing blanks included), and a
// value outside 32 bits, fails.
bool TryStrToInt(std::string_view text, int32_t& value);

}  // namespace nuv
