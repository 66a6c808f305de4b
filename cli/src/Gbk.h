// Conversion between the terminal's UTF-8 and the GBK texts of the library.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvcli {

// UTF-8 to GBK; empty optional when the text is not UTF-8 or holds a character GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// GBK to UTF-8 for display: a byte sequence that is not GBK becomes U+FFFD, so a damaged text
// from the gateway is still shown.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace nuvcli
