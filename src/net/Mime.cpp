// Base64 encoding of byte strings.
#include "net/Mime.h"

#include <cstdint>

namespace nuv::mime {

std::string Base64Encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        // Three input bytes make one 24-bit group, written as four 6-bit digits.
        const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) {
            group <<= 8;
            if (k < n) group |= static_cast<uint8_t>(bytes[i + k]);
        }
        for (size_t k = 0; k < 4; ++k) {
            text.push_back(k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=');
        }
    }
    return text;
}

}  // namespace nuv::mime
