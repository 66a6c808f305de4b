// Name lookup for the server address.
#pragma once

#include <string>

namespace nuv {

// The dotted IPv4 text of a host name's first address. Names longer than 255 bytes are not looked
// up. On failure Address is left untouched.
bool ResolveHostAddress(const std::string& hostName, std::string& address);

}  // namespace nuv
