// Conversion between UTF-8 (terminal, source, files) and GBK (the wire).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvsim {

// Empty optional when Text is not valid in the source encoding or has no GBK form.
std::optional<std::string> Utf8ToGbk(std::string_view text);
std::optional<std::string> GbkToUtf8(std::string_view text);

}  // namespace nuvsim
