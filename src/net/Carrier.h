// Carrier classes of recipient numbers: they choose how a message text is cut into segments.
#pragma once

#include <cstdint>
#include <string_view>

namespace nuv {

enum TZpCarrier : int32_t {
    CarrierMobile = 0,  // 134-139 and 159
    CarrierUnicom = 1,  // 130-133 and 153
    CarrierPhs = 2,     // everything else, text that is not a number included
};

// The class of a number by its first three digits; one leading "0" is passed over.
TZpCarrier CarrierOf(std::string_view number);

}  // namespace nuv
