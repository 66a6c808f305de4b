// Base64 (RFC 4648, standard alphabet, "=" padding, no line breaks) for proxy credentials.
#pragma once

#include <string>
#include <string_view>

namespace nuv::mime {

// The Base64 text of the bytes as they are; an empty input gives an empty text.
std::string Base64Encode(std::string_view bytes);

}  // namespace nuv::mime
