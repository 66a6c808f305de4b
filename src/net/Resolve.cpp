// Name lookup for the server address.
#include "net/Resolve.h"

#include "platform/Platform.h"

namespace nuv {

bool ResolveHostAddress(const std::string& hostName, std::string& address) {
    if (hostName.size() > 255 || hostName.find('\0') != std::string::npos) return false;
    std::string dotted;
    if (!platform::LookupIPv4(hostName, dotted)) return false;
    address = dotted;
    return true;
}

}  // namespace nuv
