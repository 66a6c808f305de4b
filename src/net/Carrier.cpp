// Carrier classes of recipient numbers.
#include "net/Carrier.h"

namespace nuv {
namespace {

// The value of a run of decimal digits; anything else (an empty text included) is 0.
int32_t DecimalOrZero(std::string_view text) {
    if (text.empty()) return 0;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

TZpCarrier CarrierOf(std::string_view number) {
    if (!number.empty() && number.front() == '0') number.remove_prefix(1);
    const int32_t prefix = DecimalOrZero(number.substr(0, 3));
    if ((prefix >= 134 && prefix <= 139) || prefix == 159) return CarrierMobile;
    if ((prefix >= 130 && prefix <= 133) || prefix == 153) return CarrierUnicom;
    return CarrierPhs;
}

}  // namespace nuv
